#include "config/uninstall_list.h"

#include "platform/system_errors.h"

namespace velk {
namespace {

constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
// The buffers the values are read into; a longer value counts as unreadable.
constexpr std::uint32_t kValueCapacity = 256;

}  // namespace

std::optional<UninstallList> UninstallList::Read(Registry& registry, std::uint32_t view) {
    RegKey uninstall =
        RegKey::Open(registry, kHkeyLocalMachine, kUninstallKey, view | kKeyEnumerateSubKeys);
    if (!uninstall) return std::nullopt;
    UninstallList list(registry, std::move(uninstall), view);
    for (std::uint32_t index = 0;; ++index) {
        char subkey[kMaxKeyNameLength + 1];
        std::uint32_t subkeySize = sizeof subkey;
        if (registry.EnumKey(list.uninstall_.handle(), index, subkey, &subkeySize) !=
            kErrorSuccess) {
            break;
        }
        std::string name(subkey, subkeySize);
        const RegKey entry =
            RegKey::Open(registry, list.uninstall_.handle(), name, view | kKeyRead);
        if (!entry) continue;
        std::uint32_t type = kRegNone;
        std::optional<std::string> displayName =
            entry.QueryText("DisplayName", kValueCapacity, &type);
        if (!displayName || type != kRegSz) continue;
        list.lastByName_.insert_or_assign(*displayName, list.entries_.size());
        list.entries_.push_back({std::move(name), std::move(*displayName), false, std::nullopt});
    }
    return list;
}

std::optional<std::size_t> UninstallList::LastListed(const std::string& displayName) const {
    const auto found = lastByName_.find(displayName);
    if (found == lastByName_.end()) return std::nullopt;
    return found->second;
}

const std::optional<std::string>& UninstallList::DisplayVersion(std::size_t index) const {
    const Entry& entry = entries_[index];
    if (!entry.versionRead) {
        const RegKey key =
            RegKey::Open(*registry_, uninstall_.handle(), entry.subkey, view_ | kKeyRead);
        // Any type: the text is taken as the bytes read.
        if (key) entry.displayVersion = key.QueryText("DisplayVersion", kValueCapacity);
        entry.versionRead = true;
    }
    return entry.displayVersion;
}

SharedUninstallList UninstallLists::Of(Registry& registry, std::uint32_t view) {
    const auto read = [&]() -> SharedUninstallList {
        auto list = UninstallList::Read(registry, view);
        return list ? std::make_shared<const UninstallList>(std::move(*list)) : nullptr;
    };
    if (!holding_) return read();
    auto it = views_.find(view);
    if (it == views_.end()) it = views_.emplace(view, read()).first;
    return it->second;
}

}  // namespace velk
