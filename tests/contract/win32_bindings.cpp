#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "contract/registry_contract.h"
#include "contract/system_info_contract.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system_info.h"
#include "support/test_support.h"

namespace velk::test {

std::vector<SystemInfoTarget> SystemInfoTargets() {
    return {{WineArch(),
             []() -> std::unique_ptr<SystemInfo> { return std::make_unique<Win32SystemInfo>(); }}};
}

std::vector<RegistryTarget> RegistryTargets() {
    auto make = []() -> std::unique_ptr<Registry> { return std::make_unique<Win32Registry>(); };
    auto removeTree = [](RegHandle root, const std::string& path) {
        for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
            HKEY key = nullptr;
            if (::RegOpenKeyExA(reinterpret_cast<HKEY>(root), path.c_str(), 0,
                                KEY_ALL_ACCESS | view, &key) == ERROR_SUCCESS) {
                ::RegDeleteTreeA(key, nullptr);
                ::RegCloseKey(key);
                ::RegDeleteKeyExA(reinterpret_cast<HKEY>(root), path.c_str(), view, 0);
            }
        }
    };
    return {{WineArch(), make, removeTree}};
}

}  // namespace velk::test
