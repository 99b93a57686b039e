#include "app/work_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <stdexcept>

#include "engine/download.h"
#include "fakes/fake_private_files.h"
#include "fakes/fake_system_info.h"
#include "platform/codepage.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;

TEST(WorkFolderTest, EachRunGetsANewPrivateFolderThatBecomesTheTemporaryOneAndGoes) {
    test::TempDir temp;
    FakeSystemInfo system;
    system.tempDirectory = temp.path().string() + "/";
    FakePrivateFiles files;
    std::string folder;
    {
        const WorkFolder first(files, system);
        const WorkFolder second(files, system);
        folder = first.path();
        EXPECT_TRUE(std::regex_match(folder, std::regex(".*[/\\\\]velk_[0-9a-f]{16}/")));
        EXPECT_NE(second.path(), folder);
        const std::string bare = folder.substr(0, folder.size() - 1);
        EXPECT_EQ(files.SecurityText(bare), kPrivateSecurity);

        // The core's temporary files land inside it.
        WorkFolderSystemInfo seen(system, first);
        std::string made;
        ASSERT_TRUE(MakeTempFileName(seen, made));
        EXPECT_EQ(made.rfind(folder, 0), 0u);
        fs::create_directory(bare + "/velk_data");
        std::ofstream(bare + "/velk_data/providers.yaml") << "x";
    }
    EXPECT_TRUE(fs::is_empty(temp.path()));

    system.tempDirectory.clear();
    try {
        const WorkFolder none(files, system);
        ADD_FAILURE() << "made without a temporary folder";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(Cp1251ToUtf8(e.what()), "Ошибка при поиске временного каталога");
    }
}

}  // namespace
}  // namespace velk
