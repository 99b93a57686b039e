#pragma once

#include <string>

#include "platform/private_files.h"
#include "platform/system_info.h"

namespace velk {

// The folder where one run keeps everything it fetches: the configuration,
// installers and certificates. It is the system's temporary folder's
// "velk_" and 16 random hexadecimal digits, made new with kPrivateSecurity
// (an existing one is never taken over) and removed with everything in it
// when the object goes.
class WorkFolder {
  public:
    // Throws std::runtime_error with the user's text (Windows-1251) when the
    // folder cannot be made.
    WorkFolder(PrivateFiles& files, SystemInfo& system);
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    // With the trailing separator, as the system gives its temporary folder.
    const std::string& path() const { return path_; }

  private:
    PrivateFiles& files_;
    std::string path_;
};

// The system as the core sees it during a run: its temporary folder is the
// work folder, everything else is the system's own.
class WorkFolderSystemInfo final : public SystemInfo {
  public:
    WorkFolderSystemInfo(SystemInfo& system, const WorkFolder& folder);

    bool IsWow64Process(bool* wow64) override;
    bool GetVersionEx(OsVersion* version) override;
    bool VerifyVersionAtLeast(std::uint32_t major, std::uint32_t minor) override;
    int GetSystemMetrics(int index) override;
    std::uint32_t GetWindowsDirectory(char* buffer, std::uint32_t size) override;
    std::uint32_t GetTempPath(std::uint32_t size, char* buffer) override;
    std::uint32_t GetTempFileName(const std::string& directory, const std::string& prefix,
                                  std::uint32_t unique, char* buffer) override;

  private:
    SystemInfo& system_;
    const WorkFolder& folder_;
};

}  // namespace velk
