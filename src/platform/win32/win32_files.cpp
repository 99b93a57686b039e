#include "platform/win32/win32_files.h"

#include <windows.h>
// Needs the types that windows.h declares.
#include <shlwapi.h>

#include "platform/system_errors.h"

namespace velk {

long Win32Files::Copy(const std::string& from, const std::string& to) {
    if (::CopyFileA(from.c_str(), to.c_str(), FALSE)) return kErrorSuccess;
    return static_cast<long>(::GetLastError());
}

long Win32Files::SetAttributes(const std::string& path, std::uint32_t attributes) {
    if (::SetFileAttributesA(path.c_str(), attributes)) return kErrorSuccess;
    return static_cast<long>(::GetLastError());
}

bool Win32Files::Exists(const std::string& path) {
    return ::PathFileExistsA(path.c_str()) != FALSE;
}

}  // namespace velk
