#include "config/unzip_archive.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fakes/fake_private_files.h"
#include "platform/codepage.h"
#include "support/test_support.h"
#include "support/test_zip.h"

namespace velk {
namespace {

using test::ReadFile;

namespace fs = std::filesystem;
using test::ZipEntry;

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class UnzipArchiveTest : public ::testing::Test {
  protected:
    UnzipArchiveTest() { fs::create_directory(destination()); }

    fs::path destination() const { return dir_.path() / "dest"; }
    fs::path archive() const { return dir_.path() / "archive.zip"; }
    fs::path Unpacked(const std::string& name) const { return destination() / name; }

    bool Unzip(const std::vector<ZipEntry>& entries) {
        test::WriteZip(archive(), entries);
        return UnzipArchive(files_, archive().string(), destination().string());
    }
    bool UnzipAgain() { return UnzipArchive(files_, archive().string(), destination().string()); }

    test::TempDir dir_;
    FakePrivateFiles files_;
};

TEST_F(UnzipArchiveTest, UnpacksFilesAndFoldersAtEveryDepth) {
    const std::string big(200000, 'x');  // more than one read block
    ASSERT_TRUE(Unzip({{"providers.yaml", "providers: []\n"},
                       {"empty/", ""},
                       {"sub/inner/deep.yaml", "deep", true},
                       {"sub/big.bin", big},
                       {"dos\\style\\path.txt", "backslashes"},
                       {"..data", "dots only at the start"}}));
    EXPECT_EQ(ReadFile(Unpacked("providers.yaml")), "providers: []\n");
    EXPECT_TRUE(fs::is_directory(Unpacked("empty")));
    EXPECT_EQ(ReadFile(Unpacked("sub/inner/deep.yaml")), "deep");
    EXPECT_EQ(ReadFile(Unpacked("sub/big.bin")), big);
    EXPECT_EQ(ReadFile(Unpacked("dos/style/path.txt")), "backslashes");
    EXPECT_EQ(ReadFile(Unpacked("..data")), "dots only at the start");
}

TEST_F(UnzipArchiveTest, OverwritesWhatTheArchiveHasAndKeepsTheRest) {
    fs::create_directories(Unpacked("sub"));
    WriteBytes(Unpacked("providers.yaml"), "an older and much longer provider list");
    WriteBytes(Unpacked("sub/file.txt"), "old");
    WriteBytes(Unpacked("earlier.yaml"), "from an earlier run");
    ASSERT_TRUE(Unzip({{"providers.yaml", "new"}, {"sub/", ""}, {"sub/file.txt", "newer"}}));
    EXPECT_EQ(ReadFile(Unpacked("providers.yaml")), "new");
    EXPECT_EQ(ReadFile(Unpacked("sub/file.txt")), "newer");
    EXPECT_EQ(ReadFile(Unpacked("earlier.yaml")), "from an earlier run");
    // The same archive once more over its own result.
    ASSERT_TRUE(UnzipAgain());
    EXPECT_EQ(ReadFile(Unpacked("providers.yaml")), "new");
}

TEST_F(UnzipArchiveTest, Utf8NamesBecomeWindows1251Paths) {
    ASSERT_TRUE(Unzip({{"Справка.txt", "utf8", false, true}}));
    // The product opens configuration files by their Windows-1251 names
    // through the C library, so look for it the same way.
    const std::string name = destination().string() + "/" + Utf8ToCp1251("Справка.txt");
    std::FILE* file = std::fopen(name.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
}

TEST_F(UnzipArchiveTest, FailsWithoutAUsableArchiveOrDestination) {
    EXPECT_FALSE(
        UnzipArchive(files_, (dir_.path() / "missing.zip").string(), destination().string()));

    WriteBytes(archive(), "this is not an archive at all");
    EXPECT_FALSE(UnzipAgain());

    EXPECT_FALSE(Unzip({}));
    // The same with something in front, as self-extracting archives have:
    // the reader finds the end record then and reports no entries.
    WriteBytes(archive(), "stub" + ReadFile(archive()));
    EXPECT_FALSE(UnzipAgain());

    test::WriteZip(archive(), {{"a.txt", "a"}});
    EXPECT_FALSE(
        UnzipArchive(files_, archive().string(), (dir_.path() / "no-such-folder").string()));
}

TEST_F(UnzipArchiveTest, FailsOnATruncatedArchive) {
    test::WriteZip(archive(), {{"a.txt", std::string(5000, 'a')}, {"b.txt", "b"}});
    const std::string whole = ReadFile(archive());
    // Without the end record (its last 22 bytes), in the central directory,
    // in the data. A cut into the end record that only drops zero bytes goes
    // unnoticed by the reader, which takes missing bytes as zero; every entry
    // is still complete and checked then.
    for (const std::size_t keep :
         {whole.size() - 22, whole.size() - 30, whole.size() / 2, std::size_t{10}}) {
        WriteBytes(archive(), whole.substr(0, keep));
        EXPECT_FALSE(UnzipAgain()) << "cut to " << keep << " of " << whole.size() << " bytes";
    }
}

TEST_F(UnzipArchiveTest, FailsOnSpoiledDataAndRemovesThatFile) {
    const std::string payload = "PAYLOAD-0123456789-PAYLOAD";
    for (const bool stored : {true, false}) {
        SCOPED_TRACE(stored ? "stored" : "deflated");
        fs::remove_all(destination());
        fs::create_directory(destination());
        const std::string content = stored ? payload : std::string(4000, 'z') + payload;
        test::WriteZip(archive(), {{"first.txt", "fine"}, {"broken.txt", content, stored}});
        std::string bytes = ReadFile(archive());
        // The stored data is found by its text; deflated data starts right
        // after the second local header's name.
        const std::size_t at = stored ? bytes.find(payload) + 3
                                      : bytes.find("broken.txt") + std::string("broken.txt").size();
        ASSERT_LT(at, bytes.size());
        bytes[at] = static_cast<char>(bytes[at] ^ 0x5a);
        WriteBytes(archive(), bytes);

        EXPECT_FALSE(UnzipAgain());
        EXPECT_EQ(ReadFile(Unpacked("first.txt")), "fine");
        EXPECT_FALSE(fs::exists(Unpacked("broken.txt")));
    }
}

TEST_F(UnzipArchiveTest, RefusesNamesThatLeaveTheDestinationAndWritesNothing) {
    // The destination sits one level below the test folder, so "../" lands
    // in the test folder.
    // Windows drops the trailing dots and blanks of ".. " and "...".
    for (const char* name :
         {"../evil", "..\\evil", "a/../../evil", "a\\..\\..\\evil", "sub/..", ".. /evil",
          ".../evil", "/abs", "\\abs", "C:\\abs", "C:abs", "C:/abs"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(Unzip({{"good.txt", "good"}, {name, "evil"}}));
        EXPECT_FALSE(fs::exists(Unpacked("good.txt")));
        EXPECT_FALSE(fs::exists(dir_.path() / "evil"));
        EXPECT_FALSE(fs::exists(Unpacked("a")));
    }
}

TEST_F(UnzipArchiveTest, RefusesANameWithANulInIt) {
    // The C library would cut "..\0/evil" short to "..", the folder above,
    // which no check of the parts sees.
    test::WriteZip(archive(), {{"good.txt", "good"}, {"..#/evil", "evil"}});
    std::string bytes = ReadFile(archive());
    for (auto at = bytes.find("..#/"); at != std::string::npos; at = bytes.find("..#/", at)) {
        bytes[at + 2] = '\0';
    }
    WriteBytes(archive(), bytes);
    EXPECT_FALSE(UnzipAgain());
    EXPECT_FALSE(fs::exists(Unpacked("good.txt")));
}

TEST_F(UnzipArchiveTest, RefusesNamesWindowsWouldReadAsSomethingElseAndNamesThem) {
    for (const std::string name : {"CON", "nul.yaml", "sub/COM1.txt", "lpt9", "Aux.tar.gz", "name.",
                                   "name ", "dir./x", "name:stream", "a<b", "what?"}) {
        SCOPED_TRACE(name);
        std::string problem;
        test::WriteZip(archive(), {{"good.txt", "good"}, {name, "evil"}});
        EXPECT_FALSE(UnzipArchive(files_, archive().string(), destination().string(), &problem));
        EXPECT_EQ(Cp1251ToUtf8(problem), "Недопустимое имя в архиве: " + name);
        EXPECT_FALSE(fs::exists(Unpacked("good.txt")));
    }
    // A name Windows-1251 cannot hold would otherwise become "?".
    std::string problem;
    test::WriteZip(archive(), {{"\xe6\xbc\xa2.yaml", "x", false, true}});
    EXPECT_FALSE(UnzipArchive(files_, archive().string(), destination().string(), &problem));
    EXPECT_EQ(Cp1251ToUtf8(problem), "Недопустимое имя в архиве: ?.yaml");
    // Near misses are ordinary names.
    EXPECT_TRUE(
        Unzip({{"CONSOLE.yaml", "1"}, {"COM10", "2"}, {"con-fig.yaml", "3"}, {"a.b", "4"}}));
    EXPECT_EQ(ReadFile(Unpacked("COM10")), "2");
}

TEST_F(UnzipArchiveTest, StopsBeyondItsLimitsBeforeWritingAnything) {
    std::string problem;
    auto refused = [&](const std::vector<ZipEntry>& entries) {
        test::WriteZip(archive(), entries);
        return !UnzipArchive(files_, archive().string(), destination().string(), &problem) &&
               fs::is_empty(destination());
    };
    std::vector<ZipEntry> many(kUnzipMaxEntries + 1, {"", "x"});
    for (std::size_t i = 0; i < many.size(); ++i) many[i].name = std::to_string(i);
    EXPECT_TRUE(refused(many));
    EXPECT_EQ(Cp1251ToUtf8(problem), "В архиве больше 10000 файлов");

    // Each under the ratio's threshold, together over the total.
    const std::string mebibyte(kUnzipRatioFrom, '\0');
    std::vector<ZipEntry> large(kUnzipMaxTotal / kUnzipRatioFrom + 1, {"", mebibyte});
    for (std::size_t i = 0; i < large.size(); ++i) large[i].name = std::to_string(i);
    EXPECT_TRUE(refused(large));
    EXPECT_EQ(Cp1251ToUtf8(problem), "Архив после распаковки больше 256 МиБ");

    // 2 MiB of zeros deflate to a few KiB: a bomb's ratio.
    EXPECT_TRUE(refused({{"ok.txt", "ok"}, {"bomb.bin", std::string(2 * kUnzipRatioFrom, '\0')}}));
    EXPECT_EQ(Cp1251ToUtf8(problem), "Файл архива сжат неправдоподобно сильно: bomb.bin");
}

TEST_F(UnzipArchiveTest, NeverWritesThroughALinkInTheDestination) {
    const fs::path outside = dir_.path() / "outside";
    fs::create_directory(outside);
    std::error_code error;
    fs::create_directory_symlink(outside, Unpacked("sub"), error);
    if (error) GTEST_SKIP() << "no symbolic links here";
    fs::create_symlink(outside / "target.yaml", Unpacked("file.yaml"));

    std::string problem;
    test::WriteZip(archive(), {{"sub/evil.yaml", "evil"}});
    EXPECT_FALSE(UnzipArchive(files_, archive().string(), destination().string(), &problem));
    EXPECT_EQ(Cp1251ToUtf8(problem),
              "В каталоге распаковки символическая ссылка или точка соединения: sub");
    // Nor in a file's place.
    test::WriteZip(archive(), {{"file.yaml", "evil"}});
    EXPECT_FALSE(UnzipArchive(files_, archive().string(), destination().string(), &problem));
    EXPECT_EQ(Cp1251ToUtf8(problem),
              "В каталоге распаковки символическая ссылка или точка соединения: file.yaml");
    EXPECT_TRUE(fs::is_empty(outside));

    fs::remove(Unpacked("sub"));
    fs::create_directory_symlink(outside, destination() / ".." / "linked");
    EXPECT_FALSE(UnzipArchive(files_, archive().string(), (dir_.path() / "linked").string()));
    EXPECT_TRUE(fs::is_empty(outside));
}

}  // namespace
}  // namespace velk
