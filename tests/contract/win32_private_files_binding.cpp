#include <windows.h>

#include "contract/private_files_contract.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_private_files.h"
#include "support/test_support.h"

namespace velk::test {
namespace {

class Win32PrivateFilesSandbox final : public PrivateFilesSandbox {
  public:
    PrivateFiles& files() override { return files_; }
    std::string root() const override { return dir_.path().string(); }
    bool MakeLink(const std::string& link, const std::string& target) override {
        if (!::CreateSymbolicLinkA(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY)) {
            return false;
        }
        if (files_.IsLink(link)) return true;
        ::RemoveDirectoryA(link.c_str());
        return false;
    }
    bool KeepsDescriptors() override {
        return ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") == nullptr;
    }
    bool OthersCanChange(const std::string& path) override {
        const HANDLE handle = ::CreateFileA(path.c_str(), GENERIC_WRITE | DELETE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return false;
        ::CloseHandle(handle);
        return true;
    }

  private:
    TempDir dir_;
    Win32PrivateFiles files_;
};

}  // namespace

std::vector<PrivateFilesTarget> PrivateFilesTargets() {
    return {{WineArch(),
             [] { return std::unique_ptr<PrivateFilesSandbox>(new Win32PrivateFilesSandbox); }}};
}

}  // namespace velk::test
