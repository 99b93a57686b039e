#include "platform/win32/win32_browser_window.h"

#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>

#include <string>

#include "platform/win32/win32_handles.h"

namespace velk {

namespace {

// The registered path of an application, or "" when it is not installed.
std::string AppPath(const char* executable) {
    const std::string key =
        std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\") + executable;
    char path[MAX_PATH] = {};
    DWORD size = sizeof(path);
#ifdef _WIN64
    // The 64-bit test build looks where the 32-bit program does.
    const DWORD flags = RRF_RT_REG_SZ | RRF_SUBKEY_WOW6432KEY;
#else
    const DWORD flags = RRF_RT_REG_SZ;
#endif
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        size = sizeof(path);
        if (::RegGetValueA(root, key.c_str(), nullptr, flags, nullptr, path, &size) ==
            ERROR_SUCCESS) {
            return path;
        }
    }
    return {};
}

bool StartAppWindow(const std::string& browser, const std::string& url) {
    std::string command = "\"" + browser + "\" --app=" + url + " --window-size=1000,750";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        return false;
    }
    const Win32Handle thread(process.hThread);
    const Win32Handle started(process.hProcess);
    return true;
}

}  // namespace

bool OpenBrowserWindow(const std::string& url) {
    for (const char* browser : {"msedge.exe", "chrome.exe"}) {
        const std::string path = AppPath(browser);
        if (!path.empty() && StartAppWindow(path, url)) return true;
    }
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

}  // namespace velk
