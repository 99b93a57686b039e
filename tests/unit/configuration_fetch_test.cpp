#include "engine/configuration_fetch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/run_context.h"
#include "fakes/fake_internet.h"
#include "fakes/fake_private_files.h"
#include "fakes/fake_system_info.h"
#include "platform/codepage.h"
#include "support/test_support.h"
#include "support/test_zip.h"

namespace velk {
namespace {

using test::ReadFile;

namespace fs = std::filesystem;
using test::ZipEntry;

constexpr char kUrl[] = "http://127.0.0.1:8080/velk_config.zip";

// The temporary folder disappears after the download found it.
class TempFolderLostLater : public FakeSystemInfo {
  public:
    std::uint32_t GetTempPath(std::uint32_t size, char* buffer) override {
        return ++calls_ > 1 ? 0 : FakeSystemInfo::GetTempPath(size, buffer);
    }

  private:
    int calls_ = 0;
};

class ConfigurationFetchTest : public ::testing::Test {
  protected:
    ConfigurationFetchTest() {
        run_.configurationUrl = kUrl;
        system_.tempDirectory = TempText();
    }

    std::string TempText() const {
        return temp_.path().string() + static_cast<char>(fs::path::preferred_separator);
    }
    fs::path DataPath() const { return temp_.path() / "velk_data"; }

    void ServeArchive(const std::vector<ZipEntry>& entries) {
        const fs::path made = temp_.path() / "made.zip";
        test::WriteZip(made, entries);
        internet_.responses[kUrl] = FakeInternet::Body(ReadFile(made));
        fs::remove(made);
    }

    // The message of the failure, as UTF-8; empty when the fetch succeeded.
    std::string Fetch(SystemInfo& system) {
        return test::ErrorOf([&] { FetchConfiguration(internet_, system, privateFiles_, run_); });
    }
    std::string Fetch() { return Fetch(system_); }

    test::TempDir temp_;
    FakeSystemInfo system_;
    FakeInternet internet_;
    FakePrivateFiles privateFiles_;
    RunContext run_;
};

TEST_F(ConfigurationFetchTest, ArchiveAddressIsBuiltInUnlessReplaced) {
    run_.configurationUrl.clear();
    const std::string builtIn = ConfigurationUrl(run_);
    EXPECT_EQ(builtIn.rfind("https://", 0), 0u) << builtIn;
    const std::string path = "/download/files/velk_config.zip";
    ASSERT_GT(builtIn.size(), path.size() + 8);
    EXPECT_EQ(builtIn.substr(builtIn.size() - path.size()), path);

    run_.configurationUrl = kUrl;
    EXPECT_EQ(ConfigurationUrl(run_), kUrl);
    ServeArchive({{"providers.yaml", "x"}});
    EXPECT_EQ(Fetch(), "");
    ASSERT_EQ(internet_.urlOpens.size(), 1u);
    EXPECT_EQ(internet_.urlOpens[0].url, kUrl);
}

TEST_F(ConfigurationFetchTest, UnpacksOnlyTheDownloadIntoAFreshPrivateFolderAndDeletesIt) {
    // Planted before the fetch: a component the archive lacks, and an archive
    // under the name the download would once have been renamed to.
    fs::create_directories(DataPath() / "old");
    temp_.Write("velk_data/providers.yaml", "old providers");
    temp_.Write("velk_data/planted.yaml", "CommandLine: evil.exe");
    temp_.Write("vel0001.tmp.zip", "planted archive");
    ServeArchive({{"providers.yaml", "new providers"},
                  {"zarnik_csp.yaml", "type: software"},
                  {"files/", ""},
                  {"files/readme.txt", "nested"}});

    EXPECT_EQ(Fetch(), "");
    EXPECT_EQ(run_.dataFolder, TempText() + "velk_data");
    EXPECT_EQ(privateFiles_.SecurityText(run_.dataFolder), kPrivateSecurity);
    EXPECT_EQ(ReadFile(DataPath() / "providers.yaml"), "new providers");
    EXPECT_EQ(ReadFile(DataPath() / "zarnik_csp.yaml"), "type: software");
    EXPECT_EQ(ReadFile(DataPath() / "files" / "readme.txt"), "nested");
    EXPECT_FALSE(fs::exists(DataPath() / "planted.yaml"));
    EXPECT_FALSE(fs::exists(DataPath() / "old"));

    // The download is gone; what was planted beside it was never touched.
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(temp_.path())) {
        left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"vel0001.tmp.zip", "velk_data"}));
}

TEST_F(ConfigurationFetchTest, LocalModeFetchesNothing) {
    run_.localMode = true;
    ServeArchive({{"providers.yaml", "x"}});
    EXPECT_EQ(Fetch(), "");
    EXPECT_TRUE(internet_.sessions.empty());
    EXPECT_EQ(run_.dataFolder, "data");
    EXPECT_FALSE(fs::exists(DataPath()));
}

TEST_F(ConfigurationFetchTest, FailedDownloadKeepsItsTextAndTouchesNoFolder) {
    internet_.responses[kUrl] = FakeInternet::Status(404, "<html>not here</html>");
    EXPECT_EQ(Fetch(), "Ошибка при загрузке файла: сервер вернул код 404");
    EXPECT_EQ(run_.dataFolder, "data");
    EXPECT_FALSE(fs::exists(DataPath()));

    internet_.responses.clear();
    EXPECT_EQ(Fetch(), "The attempt to connect to the server failed.");
    EXPECT_EQ(run_.dataFolder, "data");
}

TEST_F(ConfigurationFetchTest, BadArchivesFailToUnpack) {
    const std::string unpackFailed = "Ошибка при распаковке архива конфигурации";
    ServeArchive({});
    EXPECT_EQ(Fetch(), unpackFailed);
    internet_.responses[kUrl] = FakeInternet::Body("<html>a login page</html>");
    EXPECT_EQ(Fetch(), unpackFailed);
    // A refused entry is named.
    ServeArchive({{"../escaped.yaml", "x"}});
    EXPECT_EQ(Fetch(), unpackFailed + ": Недопустимое имя в архиве: ../escaped.yaml");
    EXPECT_FALSE(fs::exists(temp_.path() / "escaped.yaml"));
    // The folder was chosen before the unpacking failed.
    EXPECT_EQ(run_.dataFolder, TempText() + "velk_data");
}

TEST_F(ConfigurationFetchTest, TemporaryFolderLostAfterTheDownload) {
    TempFolderLostLater system;
    system.tempDirectory = TempText();
    ServeArchive({{"providers.yaml", "x"}});
    EXPECT_EQ(Fetch(system), "Ошибка при поиске временного каталога");
    EXPECT_EQ(run_.dataFolder, "data");
}

}  // namespace
}  // namespace velk
