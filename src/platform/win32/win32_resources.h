#pragma once

#include "platform/resources.h"

namespace velk {

// The resources linked into the running program: page templates as RT_HTML,
// pictures under the custom type "PNG".
class Win32Resources final : public Resources {
  public:
    std::optional<std::string> Load(ResourceType type, int id) override;
};

}  // namespace velk
