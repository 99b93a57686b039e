#include "contract/files_contract.h"
#include "fakes/fake_files.h"

namespace velk::test {
namespace {

class FakeFilesSandbox final : public FilesSandbox {
  public:
    FakeFilesSandbox() { files_.AddFolder(root()); }

    Files& files() override { return files_; }
    std::string root() const override { return "C:\\velk-contract"; }
    void MakeFolder(const std::string& path) override { files_.AddFolder(path); }
    void WriteFile(const std::string& path, const std::string& content) override {
        // The sandbox writes as its owner, past any read-only attribute.
        const auto attributes = files_.Attributes(path);
        files_.AddFile(path, content);
        if (attributes) files_.SetAttributes(path, *attributes);
    }
    std::optional<std::string> ReadFile(const std::string& path) override {
        return files_.Content(path);
    }
    bool IsReadOnly(const std::string& path) override {
        return files_.Attributes(path).value_or(0) & kFileAttributeReadOnly;
    }
    bool EnforcesReadOnly() override { return true; }

  private:
    FakeFiles files_;
};

}  // namespace

std::vector<FilesTarget> FilesTargets() {
    return {{"fake", [] { return std::unique_ptr<FilesSandbox>(new FakeFilesSandbox); }}};
}

}  // namespace velk::test
