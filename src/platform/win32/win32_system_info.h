#pragma once

#include "platform/system_info.h"

namespace velk {

// SystemInfo over kernel32 and user32.
class Win32SystemInfo final : public SystemInfo {
  public:
    bool IsWow64Process(bool* wow64) override;
    bool GetVersionEx(OsVersion* version) override;
    bool VerifyVersionAtLeast(std::uint32_t major, std::uint32_t minor) override;
    int GetSystemMetrics(int index) override;
    std::uint32_t GetWindowsDirectory(char* buffer, std::uint32_t size) override;
    std::uint32_t GetTempPath(std::uint32_t size, char* buffer) override;
    std::uint32_t GetTempFileName(const std::string& directory, const std::string& prefix,
                                  std::uint32_t unique, char* buffer) override;
};

}  // namespace velk
