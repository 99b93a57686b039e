#include "contract/system_info_contract.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iterator>
#include <regex>

#include "support/test_support.h"

namespace velk::test {
namespace {

namespace fs = std::filesystem;

constexpr char kSeparator = static_cast<char>(fs::path::preferred_separator);

class SystemInfoContract : public ::testing::TestWithParam<SystemInfoTarget> {
  protected:
    void SetUp() override { system_ = GetParam().make(); }

    SystemInfo& system() { return *system_; }

    // Creates a temporary file in directory and checks the name the system
    // made of it; returns the name.
    std::string CreateTempFile(const std::string& directory, const std::string& prefix,
                               const std::string& expectedPrefix) {
        char name[kMaxPath];
        const std::uint32_t number = system().GetTempFileName(directory, prefix, 0, name);
        EXPECT_NE(number, 0u);
        const fs::path path(name);
        EXPECT_TRUE(fs::is_regular_file(path)) << name;
        EXPECT_EQ(fs::file_size(path), 0u) << name;
        std::smatch parts;
        const std::string file = path.filename().string();
        EXPECT_TRUE(
            std::regex_match(file, parts, std::regex(expectedPrefix + "([0-9a-f]{1,4})\\.tmp")))
            << file;
        if (parts.size() == 2) {
            EXPECT_EQ(std::stoul(parts[1].str(), nullptr, 16), number);
        }
        return name;
    }

  private:
    std::unique_ptr<SystemInfo> system_;
};

TEST_P(SystemInfoContract, IsWow64ProcessTellsTheSystemKind) {
    const std::string& arch = GetParam().arch;
    ASSERT_TRUE(arch == "win64" || arch == "win32") << "unknown prefix kind '" << arch << "'";
    const bool expected = arch == "win64";
    bool wow64 = !expected;
    ASSERT_TRUE(system().IsWow64Process(&wow64));
    EXPECT_EQ(wow64, expected);
}

TEST_P(SystemInfoContract, VersionAgreesWithItsVerification) {
    OsVersion version;
    ASSERT_TRUE(system().GetVersionEx(&version));
    EXPECT_EQ(version.platformId, 2u);  // VER_PLATFORM_WIN32_NT
    EXPECT_GE(version.major, 5u);
    EXPECT_GE(version.productType, 1u);
    EXPECT_LE(version.productType, 3u);

    EXPECT_TRUE(system().VerifyVersionAtLeast(version.major, version.minor));
    EXPECT_TRUE(system().VerifyVersionAtLeast(version.major, 0));
    EXPECT_FALSE(system().VerifyVersionAtLeast(version.major, version.minor + 1));
    EXPECT_FALSE(system().VerifyVersionAtLeast(version.major + 1, 0));
    // A lower major passes whatever the minor: the two compare as one number.
    EXPECT_TRUE(system().VerifyVersionAtLeast(version.major - 1, 99));
}

// The path queries' return convention: the length without the NUL, or the
// size needed with the NUL when the buffer is too small. Returns the text.
std::string CheckPathQuery(const std::function<std::uint32_t(char*, std::uint32_t)>& query) {
    char text[kMaxPath];
    const std::uint32_t length = query(text, kMaxPath);
    EXPECT_GT(length, 0u);
    EXPECT_LT(length, kMaxPath);
    if (length == 0 || length >= kMaxPath) return {};
    EXPECT_EQ(std::strlen(text), length);

    EXPECT_EQ(query(nullptr, 0), length + 1);
    char small[kMaxPath];
    EXPECT_EQ(query(small, length), length + 1) << "no room for the NUL";
    EXPECT_EQ(query(small, 3), length + 1);
    char exact[kMaxPath];
    EXPECT_EQ(query(exact, length + 1), length);
    EXPECT_STREQ(exact, text);
    return text;
}

TEST_P(SystemInfoContract, TempPathIsAFolderWithTrailingSeparator) {
    const std::string path = CheckPathQuery(
        [&](char* buffer, std::uint32_t size) { return system().GetTempPath(size, buffer); });
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.back(), kSeparator);
    EXPECT_TRUE(fs::is_directory(path)) << path;
}

TEST_P(SystemInfoContract, WindowsDirectoryHasNoTrailingSeparator) {
    const std::string path = CheckPathQuery([&](char* buffer, std::uint32_t size) {
        return system().GetWindowsDirectory(buffer, size);
    });
    ASSERT_FALSE(path.empty());
    EXPECT_NE(path.back(), '\\');
    EXPECT_NE(path.back(), '/');
}

TEST_P(SystemInfoContract, TempFileNameCreatesNewFiles) {
    const TempDir folder;
    const std::string directory = folder.path().string();
    const std::string first = CreateTempFile(directory, "velk_", "vel");
    EXPECT_EQ(fs::path(first).parent_path(), folder.path());
    EXPECT_TRUE(first.starts_with(directory + kSeparator + "vel")) << first;

    // A trailing separator is not doubled; a short prefix is used whole.
    const std::string second = CreateTempFile(directory + kSeparator, "ab", "ab");
    EXPECT_TRUE(second.starts_with(directory + kSeparator + "ab")) << second;
    EXPECT_NE(first, second);

    const std::string third = CreateTempFile(directory, "velk_", "vel");
    EXPECT_NE(third, first);
    EXPECT_TRUE(fs::exists(first));
}

TEST_P(SystemInfoContract, TempFileNameWithCallersNumberOnlyMakesTheName) {
    const TempDir folder;
    const std::string directory = folder.path().string();
    char name[kMaxPath];
    EXPECT_EQ(system().GetTempFileName(directory, "velk_", 0xBEEF, name), 0xBEEFu);
    EXPECT_EQ(std::string(name), directory + kSeparator + "velbeef.tmp");
    EXPECT_FALSE(fs::exists(name));
    // Only the low 16 bits of the number count.
    EXPECT_EQ(system().GetTempFileName(directory, "velk_", 0x1002A, name), 0x2Au);
    EXPECT_EQ(std::string(name), directory + kSeparator + "vel2a.tmp");
}

TEST_P(SystemInfoContract, TempFileNameNeedsAnExistingFolder) {
    const TempDir folder;
    char name[kMaxPath];
    EXPECT_EQ(system().GetTempFileName((folder.path() / "missing").string(), "velk_", 0, name), 0u);
    const std::string file = folder.Write("plain.txt", "x").string();
    EXPECT_EQ(system().GetTempFileName(file, "velk_", 0, name), 0u);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

INSTANTIATE_TEST_SUITE_P(System, SystemInfoContract, ::testing::ValuesIn(SystemInfoTargets()),
                         [](const auto& test) {
                             return test.param.arch.empty() ? std::string("unknown")
                                                            : test.param.arch;
                         });

}  // namespace
}  // namespace velk::test
