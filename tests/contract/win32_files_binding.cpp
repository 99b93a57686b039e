#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "contract/files_contract.h"
#include "platform/win32/win32_files.h"
#include "support/test_support.h"
#include "support/win32_cleanup.h"

namespace velk::test {
namespace {

class Win32FilesSandbox final : public FilesSandbox {
  public:
    // A read-only file would keep the folder from being removed.
    ~Win32FilesSandbox() override { ClearReadOnly(root()); }

    Files& files() override { return files_; }
    std::string root() const override { return dir_.path().string(); }
    void MakeFolder(const std::string& path) override { std::filesystem::create_directories(path); }
    void WriteFile(const std::string& path, const std::string& content) override {
        std::ofstream(path, std::ios::binary) << content;
    }
    std::optional<std::string> ReadFile(const std::string& path) override {
        std::ifstream in(path, std::ios::binary);
        if (!in) return std::nullopt;
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool IsReadOnly(const std::string& path) override {
        const DWORD attributes = ::GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    }
    bool EnforcesReadOnly() override { return ReadOnlyIsEnforced(root()); }

  private:
    TempDir dir_;
    Win32Files files_;
};

}  // namespace

std::vector<FilesTarget> FilesTargets() {
    return {{WineArch(), [] { return std::unique_ptr<FilesSandbox>(new Win32FilesSandbox); }}};
}

}  // namespace velk::test
