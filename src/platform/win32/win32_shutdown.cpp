#include "platform/win32/win32_shutdown.h"

#include <windows.h>

namespace velk {

namespace {

// Planned, operating system, upgrade.
constexpr DWORD kRestartReason = 0x80020003;

class TokenHandle {
  public:
    ~TokenHandle() {
        if (handle != nullptr) ::CloseHandle(handle);
    }
    HANDLE handle = nullptr;
};

}  // namespace

bool Win32Shutdown::RestartComputer() {
    TokenHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                            &token.handle)) {
        return false;
    }
    TOKEN_PRIVILEGES privileges{};
    ::LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    ::SetLastError(ERROR_SUCCESS);
    ::AdjustTokenPrivileges(token.handle, FALSE, &privileges, 0, nullptr, nullptr);
    // The call succeeds even when the privilege was not granted; only the
    // last error tells.
    if (::GetLastError() != ERROR_SUCCESS) return false;
    return ::ExitWindowsEx(EWX_REBOOT | EWX_FORCE, kRestartReason) != FALSE;
}

}  // namespace velk
