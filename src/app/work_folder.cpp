#include "app/work_folder.h"

#include <cstdio>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string_view>

#include "platform/codepage.h"

namespace velk {
namespace {

constexpr char kFolderPrefix[] = "velk_";
constexpr std::string_view kNoTempFolder = "Ошибка при поиске временного каталога";
constexpr std::string_view kNoWorkFolder = "Ошибка при создании рабочего каталога ";

// 64 bits from the system's random source: nobody can guess the name and
// take it first.
std::string RandomHex() {
    std::random_device source;
    char text[17];
    std::snprintf(text, sizeof(text), "%08x%08x", static_cast<unsigned>(source()),
                  static_cast<unsigned>(source()));
    return text;
}

}  // namespace

WorkFolder::WorkFolder(PrivateFiles& files, SystemInfo& system) : files_(files) {
    char temp[kMaxPath];
    const std::uint32_t length = system.GetTempPath(kMaxPath, temp);
    if (length == 0 || length > kMaxPath) throw std::runtime_error(Utf8ToCp1251(kNoTempFolder));
    // The system's temporary path ends with its separator, and so does this.
    const std::string folder = std::string(temp, length) + kFolderPrefix + RandomHex();
    if (files.CreateFolder(folder) != kErrorSuccess) {
        throw std::runtime_error(Utf8ToCp1251(kNoWorkFolder) + folder);
    }
    path_ = folder + temp[length - 1];
}

WorkFolder::~WorkFolder() { files_.Remove(path_.substr(0, path_.size() - 1)); }

WorkFolderSystemInfo::WorkFolderSystemInfo(SystemInfo& system, const WorkFolder& folder)
    : system_(system), folder_(folder) {}

bool WorkFolderSystemInfo::IsWow64Process(bool* wow64) { return system_.IsWow64Process(wow64); }

bool WorkFolderSystemInfo::GetVersionEx(OsVersion* version) {
    return system_.GetVersionEx(version);
}

bool WorkFolderSystemInfo::VerifyVersionAtLeast(std::uint32_t major, std::uint32_t minor) {
    return system_.VerifyVersionAtLeast(major, minor);
}

int WorkFolderSystemInfo::GetSystemMetrics(int index) { return system_.GetSystemMetrics(index); }

std::uint32_t WorkFolderSystemInfo::GetWindowsDirectory(char* buffer, std::uint32_t size) {
    return system_.GetWindowsDirectory(buffer, size);
}

std::uint32_t WorkFolderSystemInfo::GetTempPath(std::uint32_t size, char* buffer) {
    const std::string& path = folder_.path();
    const auto length = static_cast<std::uint32_t>(path.size());
    if (size <= length) return length + 1;
    std::memcpy(buffer, path.c_str(), length + 1);
    return length;
}

std::uint32_t WorkFolderSystemInfo::GetTempFileName(const std::string& directory,
                                                    const std::string& prefix, std::uint32_t unique,
                                                    char* buffer) {
    return system_.GetTempFileName(directory, prefix, unique, buffer);
}

}  // namespace velk
