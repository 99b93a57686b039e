#include "tasks/uninstall_list.h"

#include "platform/registry_key.h"
#include "platform/system_errors.h"

namespace velk {
namespace {

constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
// The buffers the values are read into; a longer value counts as unreadable.
constexpr std::uint32_t kValueCapacity = 256;

UninstallListScope* activeScope = nullptr;

std::optional<std::string> ReadText(const RegKey& key, const std::string& name,
                                    std::uint32_t* type = nullptr) {
    std::string data;
    if (key.Query(name, kValueCapacity, type, &data) != kErrorSuccess) return std::nullopt;
    return TextUpToNul(data);
}

}  // namespace

std::optional<UninstallList> ReadUninstallList(Registry& registry, std::uint32_t view) {
    const RegKey uninstall =
        RegKey::Open(registry, kHkeyLocalMachine, kUninstallKey, view | kKeyEnumerateSubKeys);
    if (!uninstall) return std::nullopt;
    UninstallList entries;
    for (std::uint32_t index = 0;; ++index) {
        char subkey[kMaxKeyNameLength + 1];
        std::uint32_t subkeySize = sizeof subkey;
        if (registry.EnumKey(uninstall.handle(), index, subkey, &subkeySize) != kErrorSuccess) {
            break;
        }
        const RegKey entry = RegKey::Open(registry, uninstall.handle(),
                                          std::string(subkey, subkeySize), view | kKeyRead);
        if (!entry) continue;
        std::uint32_t type = kRegNone;
        std::optional<std::string> displayName = ReadText(entry, "DisplayName", &type);
        if (!displayName || type != kRegSz) continue;
        // Any type: the text is taken as the bytes read.
        entries.push_back({std::move(*displayName), ReadText(entry, "DisplayVersion")});
    }
    return entries;
}

UninstallListScope::UninstallListScope(Registry& registry) : registry_(registry) {
    activeScope = this;
}

UninstallListScope::~UninstallListScope() { activeScope = nullptr; }

SharedUninstallList UninstallListOf(Registry& registry, std::uint32_t view) {
    const auto read = [&]() -> SharedUninstallList {
        auto entries = ReadUninstallList(registry, view);
        return entries ? std::make_shared<const UninstallList>(std::move(*entries)) : nullptr;
    };
    if (activeScope == nullptr || &activeScope->registry_ != &registry) return read();
    auto& views = activeScope->views_;
    auto it = views.find(view);
    if (it == views.end()) it = views.emplace(view, read()).first;
    return it->second;
}

}  // namespace velk
