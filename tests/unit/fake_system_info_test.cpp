#include "fakes/fake_system_info.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;

// The contract suite cannot steer the real system into a taken name, so the
// fake's search for a free one is checked here.
TEST(FakeSystemInfo, TempFileNameSkipsTakenNamesAndWraps) {
    const test::TempDir folder;
    const std::string directory = folder.path().string();
    folder.Write("velfffe.tmp", "taken");
    folder.Write("velffff.tmp", "");
    FakeSystemInfo system;
    system.nextTempNumber = 0xfffe;
    char name[kMaxPath];

    EXPECT_EQ(system.GetTempFileName(directory, "velk_", 0, name), 1u);
    EXPECT_EQ(fs::path(name), folder.path() / "vel1.tmp");
    EXPECT_EQ(system.GetTempFileName(directory, "velk_", 0, name), 2u);
    EXPECT_TRUE(fs::exists(folder.path() / "vel2.tmp"));
    EXPECT_EQ(fs::file_size(folder.path() / "velfffe.tmp"), 5u);  // not overwritten
}

}  // namespace
}  // namespace velk
