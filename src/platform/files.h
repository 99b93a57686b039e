#pragma once

#include <cstdint>
#include <string>

namespace velk {

// SetFileAttributesA attributes.
inline constexpr std::uint32_t kFileAttributeReadOnly = 0x01;
inline constexpr std::uint32_t kFileAttributeNormal = 0x80;

// Files as kernel32 and shlwapi handle them (ANSI variants). Paths are
// Windows-1251 text; "\" and "/" both separate folders, letter case does not
// matter. Failing calls return the system's error code (system_errors.h).
class Files {
  public:
    virtual ~Files() = default;

    // CopyFileA with fail-if-exists FALSE: an existing destination is
    // overwritten unless it is read-only.
    virtual long Copy(const std::string& from, const std::string& to) = 0;

    // SetFileAttributesA.
    virtual long SetAttributes(const std::string& path, std::uint32_t attributes) = 0;

    // PathFileExistsA: true for an existing file or folder.
    virtual bool Exists(const std::string& path) = 0;
};

}  // namespace velk
