// Where the browser's path comes from: an elevated program must not run what
// an unelevated one registered.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/win32/win32_browser_window.h"
#include "support/win32_cleanup.h"

namespace velk {
namespace {

constexpr char kExecutable[] = "velk-test-browser.exe";
const std::string kKey =
    std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\") + kExecutable;

void Register(HKEY root, REGSAM view, const std::string& path) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(root, kKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr,
                                &key, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                     static_cast<DWORD>(path.size() + 1));
    ::RegCloseKey(key);
}

TEST(BrowserWindowIntegration, OnlyTheMachinesRegistrationOfTheBrowserCounts) {
    Register(HKEY_CURRENT_USER, 0, "C:\\users\\public\\planted.exe");
    EXPECT_EQ(BrowserAppPath(kExecutable), "");
    // Where this 32-bit program's look-up lands.
    Register(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, "C:\\browser\\browser.exe");
    EXPECT_EQ(BrowserAppPath(kExecutable), "C:\\browser\\browser.exe");
    test::RemoveRegistryTree(kHkeyCurrentUser, kKey);
    test::RemoveRegistryTree(kHkeyLocalMachine, kKey);
}

}  // namespace
}  // namespace velk
