#include "contract/files_contract.h"

#include <gtest/gtest.h>

#include "platform/system_errors.h"

namespace velk::test {
namespace {

class FilesContract : public ::testing::TestWithParam<FilesTarget> {
  protected:
    void SetUp() override {
        sandbox_ = GetParam().make();
        root_ = sandbox_->root();
        sandbox_->MakeFolder(Path("data"));
        sandbox_->MakeFolder(Path("program"));
        sandbox_->WriteFile(Path("data\\licence.lic"), "first");
    }

    std::string Path(const std::string& below) const { return root_ + "\\" + below; }
    Files& files() { return sandbox_->files(); }

    std::unique_ptr<FilesSandbox> sandbox_;
    std::string root_;
};

TEST_P(FilesContract, ACopyCreatesOrOverwritesTheDestination) {
    // Both separators, also mixed in one path.
    const std::string destination = root_ + "/program\\licence.lic";
    ASSERT_EQ(files().Copy(Path("data\\licence.lic"), destination), kErrorSuccess);
    EXPECT_EQ(sandbox_->ReadFile(Path("program\\licence.lic")), "first");

    sandbox_->WriteFile(Path("data\\licence.lic"), "second, longer");
    ASSERT_EQ(files().Copy(root_ + "/data/licence.lic", Path("program\\licence.lic")),
              kErrorSuccess);
    EXPECT_EQ(sandbox_->ReadFile(Path("program\\licence.lic")), "second, longer");
    EXPECT_EQ(sandbox_->ReadFile(Path("data\\licence.lic")), "second, longer");
}

TEST_P(FilesContract, FailedCopiesGiveTheSystemsCodes) {
    const struct {
        const char* what;
        std::string from, to;
        long error;
    } cases[] = {
        {"source missing", Path("data\\missing.lic"), Path("program\\x.lic"), kErrorFileNotFound},
        {"source folder missing", Path("none\\licence.lic"), Path("program\\x.lic"),
         kErrorPathNotFound},
        {"destination folder missing", Path("data\\licence.lic"), Path("none\\x.lic"),
         kErrorPathNotFound},
        {"destination is a folder", Path("data\\licence.lic"), Path("program"), kErrorAccessDenied},
        {"source is a folder", Path("data"), Path("program\\x.lic"), kErrorAccessDenied},
        {"no source named", "", Path("program\\x.lic"), kErrorPathNotFound},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(files().Copy(c.from, c.to), c.error) << c.what;
    }
    EXPECT_FALSE(files().Exists(Path("program\\x.lic")));
}

TEST_P(FilesContract, AReadOnlyDestinationIsNeitherOverwrittenNorReplaced) {
    const std::string destination = Path("program\\licence.lic");
    ASSERT_EQ(files().Copy(Path("data\\licence.lic"), destination), kErrorSuccess);
    ASSERT_EQ(files().SetAttributes(destination, kFileAttributeReadOnly), kErrorSuccess);
    EXPECT_TRUE(sandbox_->IsReadOnly(destination));
    if (!sandbox_->EnforcesReadOnly()) {
        GTEST_SKIP() << "read-only files can be written here (Wine run as root)";
    }
    sandbox_->WriteFile(Path("data\\licence.lic"), "second");
    EXPECT_EQ(files().Copy(Path("data\\licence.lic"), destination), kErrorAccessDenied);
    EXPECT_EQ(sandbox_->ReadFile(destination), "first");
}

TEST_P(FilesContract, AttributesAreSetOnExistingFilesAndTravelWithACopy) {
    EXPECT_EQ(files().SetAttributes(Path("data\\missing.lic"), kFileAttributeReadOnly),
              kErrorFileNotFound);
    EXPECT_EQ(files().SetAttributes(Path("none\\missing.lic"), kFileAttributeReadOnly),
              kErrorPathNotFound);

    ASSERT_EQ(files().SetAttributes(Path("data\\licence.lic"), kFileAttributeReadOnly),
              kErrorSuccess);
    ASSERT_EQ(files().Copy(Path("data\\licence.lic"), Path("program\\copy.lic")), kErrorSuccess);
    EXPECT_TRUE(sandbox_->IsReadOnly(Path("program\\copy.lic")));

    ASSERT_EQ(files().SetAttributes(Path("program\\copy.lic"), kFileAttributeNormal),
              kErrorSuccess);
    EXPECT_FALSE(sandbox_->IsReadOnly(Path("program\\copy.lic")));
}

TEST_P(FilesContract, ExistenceCoversFilesAndFolders) {
    const struct {
        std::string path;
        bool exists;
    } cases[] = {
        {Path("data\\licence.lic"), true},
        {root_ + "/data/LICENCE.LIC", true},
        {Path("data"), true},
        {Path("data\\"), true},
        {Path("data\\licence.lic\\"), false},
        {Path("data\\missing.lic"), false},
        {Path("none\\licence.lic"), false},
        {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(files().Exists(c.path), c.exists) << "'" << c.path << "'";
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FilesContract, ::testing::ValuesIn(FilesTargets()),
                         [](const auto& test) { return test.param.name; });

}  // namespace
}  // namespace velk::test
