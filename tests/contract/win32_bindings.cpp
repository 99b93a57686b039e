#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "contract/internet_contract.h"
#include "contract/processes_contract.h"
#include "contract/registry_contract.h"
#include "contract/system_info_contract.h"
#include "platform/win32/win32_internet.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system_info.h"
#include "support/test_server.h"
#include "support/test_support.h"
#include "support/trusted_test_ca.h"

namespace velk::test {

namespace {

[[maybe_unused]] const auto* const trustedTestCa =
    ::testing::AddGlobalTestEnvironment(new TrustedTestCa);

}  // namespace

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

std::vector<ProcessesTarget> ProcessesTargets() {
    auto make = []() -> std::unique_ptr<Processes> { return std::make_unique<Win32Processes>(); };
    auto copyInterpreter = [](Processes&, const std::string& path) {
        char system[MAX_PATH];
        const UINT length = ::GetSystemDirectoryA(system, MAX_PATH);
        ASSERT_GT(length, 0u);
        ASSERT_LT(length, static_cast<UINT>(MAX_PATH));
        ASSERT_TRUE(::CopyFileA((std::string(system) + "\\cmd.exe").c_str(), path.c_str(), TRUE));
    };
    return {{"system", make, copyInterpreter}};
}

std::vector<InternetTarget> InternetTargets() {
    auto make = []() -> std::unique_ptr<Internet> { return std::make_unique<Win32Internet>(); };
    return {{"wininet", make, TestServerUrl, TestServerTlsUrl, TestServerWrongHostUrl,
             TestServerUntrustedUrl}};
}

}  // namespace velk::test
