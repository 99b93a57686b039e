#pragma once

#include <map>
#include <string>
#include <utility>

#include "platform/resources.h"

namespace velk {

// Resources held in memory, keyed by type and id.
class FakeResources : public Resources {
  public:
    std::optional<std::string> Load(ResourceType type, int id) override {
        const auto it = items.find({type, id});
        if (it == items.end()) return std::nullopt;
        return it->second;
    }

    std::map<std::pair<ResourceType, int>, std::string> items;
};

}  // namespace velk
