#include "platform/win32/win32_shutdown.h"

#include <windows.h>

#include "platform/win32/win32_handles.h"

namespace velk {

namespace {

// Planned, operating system, upgrade.
constexpr DWORD kRestartReason = 0x80020003;

}  // namespace

bool Win32Shutdown::RestartComputer() {
    Win32Handle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                            token.Put())) {
        return false;
    }
    TOKEN_PRIVILEGES privileges{};
    ::LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    ::SetLastError(ERROR_SUCCESS);
    ::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
    // The call succeeds even when the privilege was not granted; only the
    // last error tells.
    if (::GetLastError() != ERROR_SUCCESS) return false;
    return ::ExitWindowsEx(EWX_REBOOT | EWX_FORCE, kRestartReason) != FALSE;
}

}  // namespace velk
