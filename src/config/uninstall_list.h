#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/registry.h"
#include "platform/registry_key.h"

namespace velk {

// The system's list of installed programs in one registry view: the entries
// below HKEY_LOCAL_MACHINE's uninstall key that have a readable REG_SZ
// DisplayName, in the order the system enumerates them, with the values as
// they read into the fixed buffers of the detection.
//
// Each registry call is a round trip to the system, and a list holds
// thousands of programs of which a detection asks for a handful: so the
// names are read with the list and a DisplayVersion only when asked for, once.
class UninstallList {
  public:
    // Nullopt when the uninstall key of the view cannot be opened.
    static std::optional<UninstallList> Read(Registry& registry, std::uint32_t view);

    const std::string& DisplayName(std::size_t index) const { return entries_[index].displayName; }

    // The last entry (in enumeration order) listed under exactly this
    // DisplayName, or nullopt when none is.
    std::optional<std::size_t> LastListed(const std::string& displayName) const;

    // The entry's DisplayVersion, any type, as text; nullopt when it cannot
    // be read.
    const std::optional<std::string>& DisplayVersion(std::size_t index) const;

  private:
    struct Entry {
        std::string subkey;
        std::string displayName;
        mutable bool versionRead = false;
        mutable std::optional<std::string> displayVersion;
    };

    UninstallList(Registry& registry, RegKey uninstall, std::uint32_t view)
        : registry_(&registry), uninstall_(std::move(uninstall)), view_(view) {}

    Registry* registry_;
    // Stays open for the versions read later.
    RegKey uninstall_;
    std::uint32_t view_;
    std::vector<Entry> entries_;
    std::unordered_map<std::string, std::size_t> lastByName_;
};

using SharedUninstallList = std::shared_ptr<const UninstallList>;

// The lists of a run's registry. While holding, each view is read once and
// every later caller gets the same entries: loading a task set detects many
// components in a row, and each reading of a long list costs thousands of
// registry calls. Otherwise every call reads afresh, so that a detection
// after an installation sees what it installed.
class UninstallLists {
  public:
    // The list of one view, null when it cannot be opened.
    SharedUninstallList Of(Registry& registry, std::uint32_t view);

  private:
    friend class UninstallListHold;
    bool holding_ = false;
    std::map<std::uint32_t, SharedUninstallList> views_;
};

// Keeps the lists read while it lives; they are dropped when it ends.
class UninstallListHold {
  public:
    explicit UninstallListHold(UninstallLists& lists) : lists_(lists) { lists_.holding_ = true; }
    ~UninstallListHold() {
        lists_.holding_ = false;
        lists_.views_.clear();
    }
    UninstallListHold(const UninstallListHold&) = delete;
    UninstallListHold& operator=(const UninstallListHold&) = delete;

  private:
    UninstallLists& lists_;
};

}  // namespace velk
