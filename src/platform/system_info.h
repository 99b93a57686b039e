#pragma once

#include <cstdint>
#include <string>

namespace velk {

inline constexpr std::uint8_t kVerNtWorkstation = 1;
inline constexpr std::uint16_t kVerSuiteWhServer = 0x8000;
inline constexpr int kSmServerR2 = 89;

// The fields of the extended version structure (OSVERSIONINFOEXA).
struct OsVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
    std::uint32_t platformId = 0;
    std::string servicePack;  // szCSDVersion
    std::uint16_t servicePackMajor = 0;
    std::uint16_t servicePackMinor = 0;
    std::uint16_t suiteMask = 0;
    std::uint8_t productType = 0;
};

// Facts about the running system and its temporary folder. Each call behaves
// like the kernel32/user32 function it is named after (ANSI variant).
class SystemInfo {
  public:
    virtual ~SystemInfo() = default;

    // IsWow64Process for the current process; false when the call fails.
    virtual bool IsWow64Process(bool* wow64) = 0;

    // GetVersionExA with an OSVERSIONINFOEXA; false when the call fails.
    virtual bool GetVersionEx(OsVersion* version) = 0;

    // VerifyVersionInfoA for major and minor with VER_GREATER_EQUAL on both
    // (so 7.0 passes 6.3, and 6.2 does not).
    virtual bool VerifyVersionAtLeast(std::uint32_t major, std::uint32_t minor) = 0;

    // GetSystemMetrics.
    virtual int GetSystemMetrics(int index) = 0;

    // GetWindowsDirectoryA: the length copied without the NUL, or the size
    // needed (NUL included) when the buffer is too small, or 0 on failure.
    virtual std::uint32_t GetWindowsDirectory(char* buffer, std::uint32_t size) = 0;

    // GetTempPathA: the same return convention; the path ends in a backslash.
    virtual std::uint32_t GetTempPath(std::uint32_t size, char* buffer) = 0;

    // GetTempFileNameA: with unique == 0 creates a new empty file named from
    // the first three characters of prefix, four hexadecimal digits and
    // ".tmp"; buffer must hold kMaxPath characters. Returns the number used,
    // or 0 on failure.
    virtual std::uint32_t GetTempFileName(const std::string& directory, const std::string& prefix,
                                          std::uint32_t unique, char* buffer) = 0;
};

inline constexpr std::uint32_t kMaxPath = 260;

}  // namespace velk
