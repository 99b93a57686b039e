#include "platform/win32/win32_system_info.h"

#include <windows.h>

// The interface is named after the calls themselves; without this the
// headers' A/W macros would rename the member functions defined below.
#undef GetVersionEx
#undef GetWindowsDirectory
#undef GetTempPath
#undef GetTempFileName

namespace velk {

bool Win32SystemInfo::IsWow64Process(bool* wow64) {
#ifdef _WIN64
    // The 64-bit test build stands for the 32-bit program on 64-bit Windows.
    *wow64 = true;
    return true;
#else
    BOOL result = FALSE;
    if (!::IsWow64Process(::GetCurrentProcess(), &result)) return false;
    *wow64 = result != FALSE;
    return true;
#endif
}

bool Win32SystemInfo::GetVersionEx(OsVersion* version) {
    OSVERSIONINFOEXA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) return false;
    version->major = info.dwMajorVersion;
    version->minor = info.dwMinorVersion;
    version->build = info.dwBuildNumber;
    version->platformId = info.dwPlatformId;
    version->servicePack = info.szCSDVersion;
    version->servicePackMajor = info.wServicePackMajor;
    version->servicePackMinor = info.wServicePackMinor;
    version->suiteMask = info.wSuiteMask;
    version->productType = info.wProductType;
    return true;
}

bool Win32SystemInfo::VerifyVersionAtLeast(std::uint32_t major, std::uint32_t minor) {
    OSVERSIONINFOEXA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    info.dwMajorVersion = major;
    info.dwMinorVersion = minor;
    const DWORDLONG conditions =
        ::VerSetConditionMask(::VerSetConditionMask(0, VER_MAJORVERSION, VER_GREATER_EQUAL),
                              VER_MINORVERSION, VER_GREATER_EQUAL);
    return ::VerifyVersionInfoA(&info, VER_MAJORVERSION | VER_MINORVERSION, conditions) != FALSE;
}

int Win32SystemInfo::GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }

std::uint32_t Win32SystemInfo::GetWindowsDirectory(char* buffer, std::uint32_t size) {
    return ::GetWindowsDirectoryA(buffer, size);
}

std::uint32_t Win32SystemInfo::GetTempPath(std::uint32_t size, char* buffer) {
    return ::GetTempPathA(size, buffer);
}

std::uint32_t Win32SystemInfo::GetTempFileName(const std::string& directory,
                                               const std::string& prefix, std::uint32_t unique,
                                               char* buffer) {
    return ::GetTempFileNameA(directory.c_str(), prefix.c_str(), unique, buffer);
}

}  // namespace velk
