#include <filesystem>

#include "contract/private_files_contract.h"
#include "fakes/fake_private_files.h"
#include "support/test_support.h"

namespace velk::test {
namespace {

class FakePrivateFilesSandbox final : public PrivateFilesSandbox {
  public:
    PrivateFiles& files() override { return files_; }
    std::string root() const override { return dir_.path().string(); }
    bool MakeLink(const std::string& link, const std::string& target) override {
        std::filesystem::create_directory_symlink(target, link);
        return true;
    }
    bool KeepsDescriptors() override { return true; }
    bool OthersCanChange(const std::string& path) override { return !files_.IsSealed(path); }

  private:
    TempDir dir_;
    FakePrivateFiles files_;
};

}  // namespace

std::vector<PrivateFilesTarget> PrivateFilesTargets() {
    return {
        {"fake", [] { return std::unique_ptr<PrivateFilesSandbox>(new FakePrivateFilesSandbox); }}};
}

}  // namespace velk::test
