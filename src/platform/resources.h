#pragma once

#include <optional>
#include <string>

namespace velk {

// The program's own resources: page templates and pictures.
enum class ResourceType { Html, Png };

class Resources {
  public:
    virtual ~Resources() = default;
    // The bytes of resource id of the given type, or nothing when it is missing.
    virtual std::optional<std::string> Load(ResourceType type, int id) = 0;
};

}  // namespace velk
