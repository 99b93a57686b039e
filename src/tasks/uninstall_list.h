#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry.h"

namespace velk {

// One program of the system's list of installed programs, with the values
// as they read into the fixed buffers of the detection: an entry without a
// readable REG_SZ DisplayName is not listed, and nullopt stands for a
// DisplayVersion that cannot be read.
struct UninstallEntry {
    std::string displayName;
    std::optional<std::string> displayVersion;
};

using UninstallList = std::vector<UninstallEntry>;

// The entries below HKEY_LOCAL_MACHINE's uninstall key in one registry view,
// in the order the system enumerates them; nullopt when the key cannot be
// opened.
std::optional<UninstallList> ReadUninstallList(Registry& registry, std::uint32_t view);

using SharedUninstallList = std::shared_ptr<const UninstallList>;

// While a scope lives, UninstallListOf reads each view of its registry once
// and hands every later caller the same entries: loading a task set detects
// many components in a row, and each reading of a long list costs thousands
// of registry calls. Scopes do not nest; outside one every call reads afresh.
class UninstallListScope {
  public:
    explicit UninstallListScope(Registry& registry);
    ~UninstallListScope();
    UninstallListScope(const UninstallListScope&) = delete;
    UninstallListScope& operator=(const UninstallListScope&) = delete;

  private:
    friend SharedUninstallList UninstallListOf(Registry& registry, std::uint32_t view);
    Registry& registry_;
    std::map<std::uint32_t, SharedUninstallList> views_;
};

// The list of one view, null when it cannot be opened.
SharedUninstallList UninstallListOf(Registry& registry, std::uint32_t view);

}  // namespace velk
