#include "fakes/fake_system_info.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <tuple>

namespace velk {

namespace {

constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);
constexpr std::uint32_t kTempNumberMask = 0xffff;

std::string LocalTempDirectory() {
    std::string path = std::filesystem::temp_directory_path().string();
    if (path.empty() || path.back() != kSeparator) path += kSeparator;
    return path;
}

// The return convention of the system's path queries: the length without the
// NUL when the text fits, otherwise the size needed with the NUL.
std::uint32_t CopyPath(const std::string& path, char* buffer, std::uint32_t size) {
    if (path.empty()) return 0;
    const auto needed = static_cast<std::uint32_t>(path.size() + 1);
    if (buffer == nullptr || size < needed) return needed;
    std::memcpy(buffer, path.c_str(), needed);
    return needed - 1;
}

// Temporary file names go into the caller's buffer of kMaxPath characters.
bool FitsPath(const std::string& name) { return name.size() < kMaxPath; }

void CopyName(const std::string& name, char* buffer) {
    std::memcpy(buffer, name.c_str(), name.size() + 1);
}

// The system writes the number in lower-case hexadecimal without padding.
std::string TempName(const std::string& base, std::uint32_t number) {
    char digits[8];
    const auto end = std::to_chars(digits, digits + sizeof(digits), number, 16).ptr;
    return base + std::string(digits, end) + ".tmp";
}

enum class CreateResult { kCreated, kExists, kFailed };

// Creates an empty file that must not exist yet.
CreateResult CreateNewFile(const std::string& path) {
    class Descriptor {
      public:
        explicit Descriptor(int fd) : fd_(fd) {}
        Descriptor(const Descriptor&) = delete;
        Descriptor& operator=(const Descriptor&) = delete;
        ~Descriptor() {
            if (fd_ >= 0) ::close(fd_);
        }
        bool valid() const { return fd_ >= 0; }

      private:
        int fd_;
    };
    const Descriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644));
    if (file.valid()) return CreateResult::kCreated;
    return errno == EEXIST ? CreateResult::kExists : CreateResult::kFailed;
}

std::uint32_t NextTempNumber(std::uint32_t number) {
    return number >= kTempNumberMask ? 1 : number + 1;
}

}  // namespace

FakeSystemInfo::FakeSystemInfo(bool is64BitSystem)
    : wow64(is64BitSystem), tempDirectory(LocalTempDirectory()) {
    version.major = 6;
    version.minor = 1;
    version.build = 7601;
    version.platformId = 2;  // VER_PLATFORM_WIN32_NT
    version.servicePack = "Service Pack 1";
    version.servicePackMajor = 1;
    version.productType = kVerNtWorkstation;
    // Start where the system would, from the clock, so that fakes in
    // different runs rarely meet each other's files.
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch();
    nextTempNumber = static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(ticks).count() & kTempNumberMask);
}

bool FakeSystemInfo::IsWow64Process(bool* result) {
    if (wow64Fails) return false;
    *result = wow64;
    return true;
}

bool FakeSystemInfo::GetVersionEx(OsVersion* result) {
    if (versionFails) return false;
    *result = version;
    return true;
}

bool FakeSystemInfo::VerifyVersionAtLeast(std::uint32_t major, std::uint32_t minor) {
    // Major and minor together compare as one number, as the system does.
    return std::tie(version.major, version.minor) >= std::tie(major, minor);
}

int FakeSystemInfo::GetSystemMetrics(int index) {
    const auto found = metrics.find(index);
    return found == metrics.end() ? 0 : found->second;
}

std::uint32_t FakeSystemInfo::GetWindowsDirectory(char* buffer, std::uint32_t size) {
    return CopyPath(windowsDirectory, buffer, size);
}

std::uint32_t FakeSystemInfo::GetTempPath(std::uint32_t size, char* buffer) {
    return CopyPath(tempDirectory, buffer, size);
}

std::uint32_t FakeSystemInfo::GetTempFileName(const std::string& directory,
                                              const std::string& prefix, std::uint32_t unique,
                                              char* buffer) {
    std::error_code error;
    if (!std::filesystem::is_directory(directory, error)) return 0;
    std::string base = directory;
    if (base.empty() || base.back() != kSeparator) base += kSeparator;
    base += prefix.substr(0, 3);

    unique &= kTempNumberMask;
    if (unique != 0) {
        // A number chosen by the caller only makes the name; no file is made.
        const std::string name = TempName(base, unique);
        if (!FitsPath(name)) return 0;
        CopyName(name, buffer);
        return unique;
    }

    std::uint32_t number = nextTempNumber & kTempNumberMask;
    if (number == 0) number = 1;
    const std::uint32_t first = number;
    do {
        const std::string name = TempName(base, number);
        if (!FitsPath(name)) return 0;
        switch (CreateNewFile(name)) {
            case CreateResult::kCreated:
                CopyName(name, buffer);
                nextTempNumber = NextTempNumber(number);
                return number;
            case CreateResult::kExists:
                number = NextTempNumber(number);
                break;
            case CreateResult::kFailed:
                return 0;
        }
    } while (number != first);
    return 0;
}

}  // namespace velk
