#include "platform/win32/win32_registry.h"

#include <windows.h>

namespace velk {

namespace {

// The predefined roots are the system's HKEY constants as 32-bit numbers,
// which a 64-bit program sign-extends; opened keys are the system's handles
// themselves.
HKEY ToHkey(RegHandle key) {
    if (key >= kHkeyClassesRoot && key <= kHkeyUsers) {
        return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(key)));
    }
    return reinterpret_cast<HKEY>(key);
}
RegHandle FromHkey(HKEY key) { return reinterpret_cast<RegHandle>(key); }

static_assert(sizeof(RegHandle) == sizeof(HKEY));

// The 64-bit test build reads and writes where the 32-bit program does: an
// access that names no view gets the 32-bit one.
REGSAM WithView(std::uint32_t access) {
#ifdef _WIN64
    if ((access & (KEY_WOW64_32KEY | KEY_WOW64_64KEY)) == 0) return access | KEY_WOW64_32KEY;
#endif
    return access;
}

}  // namespace

long Win32Registry::OpenKey(RegHandle parent, const std::string& subKey, std::uint32_t access,
                            RegHandle* result) {
    HKEY key = nullptr;
    const LONG error = ::RegOpenKeyExA(ToHkey(parent), subKey.c_str(), 0, WithView(access), &key);
    if (error == ERROR_SUCCESS) *result = FromHkey(key);
    return error;
}

long Win32Registry::CreateKey(RegHandle parent, const std::string& subKey, std::uint32_t access,
                              RegHandle* result) {
    HKEY key = nullptr;
    const LONG error = ::RegCreateKeyExA(ToHkey(parent), subKey.c_str(), 0, nullptr,
                                         REG_OPTION_NON_VOLATILE, WithView(access), nullptr, &key,
                                         nullptr);
    if (error == ERROR_SUCCESS) *result = FromHkey(key);
    return error;
}

long Win32Registry::EnumKey(RegHandle key, std::uint32_t index, char* name,
                            std::uint32_t* nameSize) {
    DWORD size = *nameSize;
    const LONG error =
        ::RegEnumKeyExA(ToHkey(key), index, name, &size, nullptr, nullptr, nullptr, nullptr);
    if (error == ERROR_SUCCESS) *nameSize = size;
    return error;
}

long Win32Registry::QueryValue(RegHandle key, const std::string& valueName, std::uint32_t* type,
                               std::uint8_t* data, std::uint32_t* dataSize) {
    DWORD valueType = REG_NONE;
    DWORD size = *dataSize;
    const LONG error =
        ::RegQueryValueExA(ToHkey(key), valueName.c_str(), nullptr, &valueType, data, &size);
    if (type != nullptr && (error == ERROR_SUCCESS || error == ERROR_MORE_DATA)) *type = valueType;
    *dataSize = size;
    return error;
}

long Win32Registry::SetValue(RegHandle key, const std::string& valueName, std::uint32_t type,
                             const std::uint8_t* data, std::uint32_t dataSize) {
    return ::RegSetValueExA(ToHkey(key), valueName.c_str(), 0, type, data, dataSize);
}

long Win32Registry::CloseKey(RegHandle key) { return ::RegCloseKey(ToHkey(key)); }

}  // namespace velk
