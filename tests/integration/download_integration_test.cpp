// DownloadFile and FetchConfiguration over the real WinInet, file system and
// temporary folder, against the loopback test server.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/configuration_fetch.h"
#include "engine/download.h"
#include "engine/run_context.h"
#include "platform/codepage.h"
#include "platform/win32/win32_internet.h"
#include "platform/win32/win32_private_files.h"
#include "platform/win32/win32_system_info.h"
#include "support/recording_page.h"
#include "support/test_server.h"
#include "support/test_support.h"
#include "support/test_zip.h"
#include "support/trusted_test_ca.h"

namespace velk {
namespace {

using test::ReadFile;

namespace fs = std::filesystem;

[[maybe_unused]] const auto* const trustedTestCa =
    ::testing::AddGlobalTestEnvironment(new test::TrustedTestCa);

// Keeps the percentages and raises the cancel flag at a chosen one.
class ProgressPage : public test::RecordingPage {
  public:
    void DownloadStarted(const std::string&, std::uint64_t totalBytes) override {
        EXPECT_LT(announced, 0) << "one start per download";
        announced = static_cast<std::int64_t>(totalBytes);
    }
    void DownloadAdvanced(std::uint64_t percent, std::uint64_t) override {
        percents.push_back(percent);
        if (percents.size() == cancelAt) cancel = true;
    }

    std::int64_t announced = -1;
    std::vector<std::uint64_t> percents;
    std::size_t cancelAt = 0;  // 0: never
    std::atomic<bool> cancel{false};
};

class DownloadIntegrationTest : public ::testing::Test {
  protected:
    DownloadIntegrationTest() {
        context_.cancelFlag = &page_.cancel;
        context_.progress = &page_;
    }

    bool Download(const std::string& url) {
        destination_ = (dir_.path() / "download.bin").string();
        return DownloadFile(internet_, system_, privateFiles_, context_, destination_, url);
    }
    std::string Message() const { return Cp1251ToUtf8(context_.message); }
    std::string Downloaded() const { return ReadFile(destination_); }

    test::TempDir dir_;
    Win32Internet internet_;
    Win32SystemInfo system_;
    Win32PrivateFiles privateFiles_;
    ProgressPage page_;
    JobContext context_;
    std::string destination_;
};

TEST_F(DownloadIntegrationTest, BodiesArriveWholeOverHttpAndHttps) {
    struct Case {
        std::string url;
        std::int64_t announced;
    };
    const Case cases[] = {
        {test::TestServerUrl("/bytes/100000"), 100000},
        {test::TestServerTlsUrl("/bytes/100000"), 100000},
        // Followed from HTTP to HTTPS without a question.
        {test::TestServerUrl("/redirect?to=" + test::TestServerTlsUrl("/bytes/100000")), 100000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        page_.announced = -1;
        page_.percents.clear();
        ASSERT_TRUE(Download(c.url)) << Message();
        EXPECT_EQ(Downloaded(), test::TestPattern(100000));
        EXPECT_EQ(page_.announced, c.announced);
        ASSERT_FALSE(page_.percents.empty());
        EXPECT_EQ(page_.percents.back(), 100u);
    }
}

TEST_F(DownloadIntegrationTest, WithoutLengthTheFirstBlockShowsAHundredAndLaterOnesMore) {
    ASSERT_TRUE(Download(test::TestServerUrl("/chunked/100000"))) << Message();
    EXPECT_EQ(Downloaded(), test::TestPattern(100000));
    EXPECT_EQ(page_.announced, 0);
    ASSERT_GE(page_.percents.size(), 2u);
    EXPECT_EQ(page_.percents.front(), 100u);
    for (std::size_t i = 1; i < page_.percents.size(); ++i) {
        EXPECT_GT(page_.percents[i], page_.percents[i - 1]);
    }
}

TEST_F(DownloadIntegrationTest, CancelStopsASlowTransferWithThePartReceived) {
    page_.cancelAt = 2;
    const auto start = std::chrono::steady_clock::now();
    // 100 blocks, one every 0.2 s: twenty seconds unless the cancel works.
    EXPECT_TRUE(Download(test::TestServerUrl("/slow/2000000")));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(context_.message, "");
    const std::string part = Downloaded();
    EXPECT_GT(part.size(), 0u);
    EXPECT_LT(part.size(), 2000000u);
    EXPECT_EQ(part, test::TestPattern(part.size()));
}

TEST_F(DownloadIntegrationTest, FailedTransfersSayWhy) {
    struct Case {
        std::string url;
        std::string message;  // empty: any text of the library
        bool createsFile;
    };
    const Case cases[] = {
        {test::TestServerUrl("/status/404"), "Ошибка при загрузке файла: сервер вернул код 404",
         false},
        {test::TestServerUrl("/status/500"), "Ошибка при загрузке файла: сервер вернул код 500",
         false},
        {test::TestServerUrl("/drop/100000/30000"),
         "Ошибка при загрузке файла: соединение с сервером прервано", true},
        {test::TestServerWrongHostUrl("/bytes/1000"), "", false},
        {test::TestServerUntrustedUrl("/bytes/1000"), "", false},
        {"http://127.0.0.1:1/setup.msi", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        fs::remove(dir_.path() / "download.bin");
        context_.message.clear();
        EXPECT_FALSE(Download(c.url));
        if (c.message.empty()) {
            EXPECT_NE(Message(), "");
        } else {
            EXPECT_EQ(Message(), c.message);
        }
        EXPECT_EQ(fs::exists(destination_), c.createsFile);
    }
}

TEST_F(DownloadIntegrationTest, TemporaryFileAndMissingFolder) {
    std::string temporary;
    ASSERT_TRUE(DownloadFile(internet_, system_, privateFiles_, context_, temporary,
                             test::TestServerUrl("/bytes/5000")))
        << Message();
    const fs::path file(temporary);
    EXPECT_EQ(file.extension(), ".tmp");
    EXPECT_EQ(file.filename().string().rfind("vel", 0), 0u);
    EXPECT_EQ(ReadFile(file), test::TestPattern(5000));
    fs::remove(file);

    std::string missing = (dir_.path() / "missing" / "setup.msi").string();
    const std::string asked = missing;
    EXPECT_FALSE(DownloadFile(internet_, system_, privateFiles_, context_, missing,
                              test::TestServerUrl("/bytes/5000")));
    EXPECT_EQ(context_.message, Utf8ToCp1251("Ошибка при создании файла ") + asked);
}

TEST_F(DownloadIntegrationTest, AnHttpsAddressRedirectedToAPlainOneIsRefused) {
    const std::string plain = test::TestServerUrl("/bytes/5000");
    EXPECT_FALSE(Download(test::TestServerTlsUrl("/redirect?to=" + plain)));
    EXPECT_EQ(Message(),
              "Ошибка при загрузке файла: защищённое соединение перенаправлено на незащищённый "
              "адрес " +
                  plain);
    EXPECT_FALSE(fs::exists(destination_));
}

// A file another user placed at a fixed destination is replaced, and nobody
// can change the download while the caller holds it.
TEST_F(DownloadIntegrationTest, AFixedDestinationIsMadeAnewAndSealedWhileHeld) {
    destination_ = (dir_.path() / "setup.msi").string();
    std::ofstream(destination_) << "planted, and longer than the download";
    PrivateFile kept({}, {&privateFiles_});
    ASSERT_TRUE(DownloadFile(internet_, system_, privateFiles_, context_, destination_,
                             test::TestServerUrl("/bytes/5000"), &kept))
        << Message();
    EXPECT_EQ(Downloaded(), test::TestPattern(5000));
    EXPECT_FALSE(std::ofstream(destination_, std::ios::app).is_open());
    EXPECT_NE(std::remove(destination_.c_str()), 0);
    kept.Reset();
    EXPECT_TRUE(std::ofstream(destination_, std::ios::app).is_open());
}

TEST(ConfigurationFetchIntegration, UnpacksTheServedArchiveIntoTheTemporaryFolder) {
    const fs::path served = fs::path(test::TestServerFilesDir()) / "velk_config.zip";
    test::WriteZip(served, {{"providers.yaml", "providers"}, {"sub/file.yaml", "nested"}});
    RunContext run;
    run.configurationUrl = test::TestServerUrl("/files/velk_config.zip");
    Win32Internet internet;
    Win32SystemInfo system;
    Win32PrivateFiles privateFiles;
    FetchConfiguration(internet, system, privateFiles, run);

    char temp[kMaxPath];
    ASSERT_GT(system.GetTempPath(kMaxPath, temp), 0u);
    EXPECT_EQ(run.dataFolder, std::string(temp) + "velk_data");
    const fs::path data = run.dataFolder;
    EXPECT_EQ(ReadFile(data / "providers.yaml"), "providers");
    EXPECT_EQ(ReadFile(data / "sub" / "file.yaml"), "nested");
    fs::remove_all(data);
}

}  // namespace
}  // namespace velk
