#include "platform/win32/win32_resources.h"

#include <windows.h>

namespace velk {

std::optional<std::string> Win32Resources::Load(ResourceType type, int id) {
    const char* typeName = type == ResourceType::Html ? MAKEINTRESOURCEA(23) : "PNG";
    HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(id), typeName);
    if (found == nullptr) return std::nullopt;
    // Resource memory belongs to the module and needs no release.
    HGLOBAL loaded = ::LoadResource(nullptr, found);
    const void* bytes = loaded == nullptr ? nullptr : ::LockResource(loaded);
    if (bytes == nullptr) return std::nullopt;
    return std::string(static_cast<const char*>(bytes), ::SizeofResource(nullptr, found));
}

}  // namespace velk
