#include "contract/private_files_contract.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/test_support.h"

namespace velk::test {
namespace {

namespace fs = std::filesystem;

class PrivateFilesContract : public ::testing::TestWithParam<PrivateFilesTarget> {
  protected:
    void SetUp() override { sandbox_ = GetParam().make(); }

    std::string Path(const std::string& below) const { return sandbox_->root() + "/" + below; }
    PrivateFiles& files() { return sandbox_->files(); }

    // The descriptor of path is the private one, where the system keeps it.
    void ExpectPrivate(const std::string& path) {
        if (sandbox_->KeepsDescriptors()) {
            EXPECT_EQ(files().SecurityText(path), kPrivateSecurity) << path;
        } else {
            EXPECT_NE(files().SecurityText(path), "") << path;
        }
    }

    // Writes text as a new private file and leaves it sealed in *file.
    long WriteNew(const std::string& path, const std::string& text, PrivateFile* file) {
        if (const long error = files().CreateNew(path, file->Put())) return error;
        if (const long error = files().Write(file->get(), text.data(), text.size())) return error;
        return files().Seal(file->get());
    }

    std::unique_ptr<PrivateFilesSandbox> sandbox_;
};

TEST_P(PrivateFilesContract, AFolderIsMadeOnceAndOnlyForAdministrators) {
    const std::string folder = Path("work");
    ASSERT_EQ(files().CreateFolder(folder), kErrorSuccess);
    ExpectPrivate(folder);
    EXPECT_EQ(files().CreateFolder(folder), kErrorAlreadyExists);
    std::ofstream(Path("placed")) << "theirs";
    EXPECT_EQ(files().CreateFolder(Path("placed")), kErrorAlreadyExists);
    EXPECT_FALSE(files().IsLink(folder));
    EXPECT_EQ(files().SecurityText(Path("missing")), "");
}

TEST_P(PrivateFilesContract, AFileIsMadeAnewSealedAndNeverWrittenThroughALink) {
    // Someone else's file of that name is replaced, not written into.
    const std::string path = Path("setup.msi");
    std::ofstream(path) << "someone else's, longer";
    {
        PrivateFile file({}, {&files()});
        ASSERT_EQ(WriteNew(path, "ours", &file), kErrorSuccess);
        EXPECT_EQ(ReadFile(path), "ours");
        ExpectPrivate(path);
        EXPECT_FALSE(sandbox_->OthersCanChange(path));
    }
    EXPECT_TRUE(sandbox_->OthersCanChange(path));

    PrivateFile folderFile({}, {&files()});
    fs::create_directory(Path("folder"));
    EXPECT_NE(files().CreateNew(Path("folder"), folderFile.Put()), kErrorSuccess);
    EXPECT_TRUE(fs::is_directory(Path("folder")));

    // A link at the name is removed itself; its target stays untouched.
    fs::create_directory(Path("elsewhere"));
    if (!sandbox_->MakeLink(Path("link"), Path("elsewhere"))) {
        GTEST_SKIP() << "no symbolic links here";
    }
    EXPECT_TRUE(files().IsLink(Path("link")));
    PrivateFile linked({}, {&files()});
    ASSERT_EQ(WriteNew(Path("link"), "ours", &linked), kErrorSuccess);
    EXPECT_FALSE(files().IsLink(Path("link")));
    EXPECT_EQ(ReadFile(Path("link")), "ours");
    EXPECT_TRUE(fs::is_empty(Path("elsewhere")));
}

TEST_P(PrivateFilesContract, RemovingAFolderRemovesLinksButNotWhatTheyReach) {
    const std::string folder = Path("work");
    ASSERT_EQ(files().CreateFolder(folder), kErrorSuccess);
    fs::create_directories(Path("work/data/sub"));
    std::ofstream(Path("work/data/sub/file.yaml")) << "x";
    fs::create_directory(Path("elsewhere"));
    std::ofstream(Path("elsewhere/kept")) << "kept";
    const bool linked = sandbox_->MakeLink(Path("work/data/link"), Path("elsewhere"));

    EXPECT_EQ(files().Remove(folder), kErrorSuccess);
    EXPECT_FALSE(fs::exists(folder));
    if (linked) {
        EXPECT_EQ(ReadFile(Path("elsewhere/kept")), "kept");
    }
    EXPECT_NE(files().Remove(folder), kErrorSuccess);
}

INSTANTIATE_TEST_SUITE_P(Targets, PrivateFilesContract, ::testing::ValuesIn(PrivateFilesTargets()),
                         [](const auto& test) { return test.param.name; });

}  // namespace
}  // namespace velk::test
