#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/system_info.h"

namespace velk {

// A configurable system. The defaults answer like the Wine test prefixes
// (Windows 7 SP1 workstation, "C:\windows"); the temporary folder is the
// local one, and GetTempFileName creates real files there, named as Wine
// names them.
class FakeSystemInfo : public SystemInfo {
  public:
    // is64BitSystem: whether this 32-bit program runs under WOW64.
    explicit FakeSystemInfo(bool is64BitSystem = true);

    bool IsWow64Process(bool* wow64) override;
    bool GetVersionEx(OsVersion* version) override;
    bool VerifyVersionAtLeast(std::uint32_t major, std::uint32_t minor) override;
    int GetSystemMetrics(int index) override;
    std::uint32_t GetWindowsDirectory(char* buffer, std::uint32_t size) override;
    std::uint32_t GetTempPath(std::uint32_t size, char* buffer) override;
    std::uint32_t GetTempFileName(const std::string& directory, const std::string& prefix,
                                  std::uint32_t unique, char* buffer) override;

    bool wow64;
    bool wow64Fails = false;
    OsVersion version;
    bool versionFails = false;
    std::map<int, int> metrics;  // indices not listed answer 0
    // An empty text makes the call fail.
    std::string windowsDirectory = "C:\\windows";
    std::string tempDirectory;  // ends with the local path separator
    // Where GetTempFileName starts looking for a free number; like the
    // system's, it moves on past each number it hands out.
    std::uint32_t nextTempNumber;
};

}  // namespace velk
