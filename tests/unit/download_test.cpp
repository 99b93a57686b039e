#include "engine/download.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "fakes/fake_internet.h"
#include "fakes/fake_private_files.h"
#include "fakes/fake_system_info.h"
#include "platform/codepage.h"
#include "platform/digest.h"
#include "support/recording_page.h"
#include "support/test_server.h"
#include "support/test_support.h"

namespace velk {
namespace {

using test::ReadFile;

namespace fs = std::filesystem;

constexpr char kUrl[] = "https://downloads.example.invalid/setup.msi";

// The installation page as the download sees it; it may raise the cancel flag
// when a chosen number of progress reports has arrived.
class CancellingPage : public test::RecordingPage {
  public:
    CancellingPage() {
        onMessage = [this](const Entry&) {
            if (cancelAfter && entries.size() == *cancelAfter) cancel = true;
        };
    }

    // The percentages after the opening report.
    std::vector<std::uint64_t> Percents() const {
        std::vector<std::uint64_t> percents;
        for (std::size_t i = 1; i < entries.size(); ++i) percents.push_back(entries[i].wParam);
        return percents;
    }

    std::optional<std::size_t> cancelAfter;
    std::atomic<bool> cancel{false};
};

class DownloadTest : public ::testing::Test {
  protected:
    DownloadTest() {
        system_.tempDirectory =
            temp_.path().string() + static_cast<char>(fs::path::preferred_separator);
        context_.cancelFlag = &page_.cancel;
        context_.progress = &page_;
    }

    bool Download(std::string& destination, const std::string& url = kUrl) {
        return DownloadFile(internet_, system_, privateFiles_, context_, destination, url);
    }

    std::string Message() const { return Cp1251ToUtf8(context_.message); }
    std::string Target() const { return (temp_.path() / "setup.msi").string(); }

    test::TempDir temp_;
    FakeSystemInfo system_;
    FakeInternet internet_;
    FakePrivateFiles privateFiles_;
    CancellingPage page_;
    JobContext context_;
};

TEST_F(DownloadTest, AsksTheLibraryForAnUncachedBinaryTransferThatChecksCertificates) {
    internet_.responses[kUrl] = FakeInternet::Body("data");
    std::string destination = Target();
    ASSERT_TRUE(Download(destination)) << Message();

    ASSERT_EQ(internet_.sessions.size(), 1u);
    const auto& session = internet_.sessions[0];
    EXPECT_EQ(session.agent, "VELK Session");
    EXPECT_EQ(session.accessType, kInternetOpenTypePreconfig);
    EXPECT_EQ(session.proxy, "");
    EXPECT_EQ(session.proxyBypass, "");
    EXPECT_EQ(session.flags, 0u);
    EXPECT_EQ(session.options,
              (std::map<std::uint32_t, std::uint32_t>{{kInternetOptionConnectTimeout, 20000}}));

    ASSERT_EQ(internet_.urlOpens.size(), 1u);
    EXPECT_EQ(internet_.urlOpens[0].url, kUrl);
    // Cache off, both redirect directions followed, binary; nothing about
    // certificates is waived.
    EXPECT_EQ(internet_.urlOpens[0].flags, 0x0400C002u);
    EXPECT_EQ(internet_.urlOpens[0].context, 1u);
    EXPECT_EQ(internet_.OpenHandles(), 0u);
}

struct Transfer {
    const char* name;
    FakeInternet::Response response;
    std::intptr_t announced;
    std::vector<std::uint64_t> percents;
};

TEST_F(DownloadTest, StoresTheBodyAndReportsProgressPerBlock) {
    const std::string body = test::TestPattern(50000);
    auto shortReads = FakeInternet::Body(body);
    shortReads.largestRead = 12500;
    const Transfer transfers[] = {
        {"with length", FakeInternet::Body(body), 50000, {40, 80, 100}},
        {"reads shorter than a block", shortReads, 50000, {25, 50, 75, 100}},
        // Without a length the first block counts as everything.
        {"without length", FakeInternet::BodyWithoutLength(body), 0, {100, 200, 250}},
        {"empty body", FakeInternet::Body(""), 0, {}},
    };
    for (const auto& transfer : transfers) {
        SCOPED_TRACE(transfer.name);
        internet_.responses[kUrl] = transfer.response;
        page_.entries.clear();
        page_.urls.clear();
        std::string destination = Target();
        ASSERT_TRUE(Download(destination)) << Message();
        EXPECT_EQ(ReadFile(destination), transfer.response.body);
        ASSERT_FALSE(page_.entries.empty());
        EXPECT_EQ(page_.entries[0].wParam, 0u);
        EXPECT_EQ(page_.entries[0].lParam, transfer.announced);
        EXPECT_EQ(page_.urls, std::vector<std::string>{kUrl});
        for (const auto& entry : page_.entries) {
            EXPECT_EQ(entry.message, test::Step::DownloadProgress);
        }
        EXPECT_EQ(page_.Percents(), transfer.percents);
        EXPECT_EQ(context_.message, "");
        EXPECT_EQ(internet_.OpenHandles(), 0u);
    }
}

TEST_F(DownloadTest, PinnedFileIsKeptOnlyWithItsHash) {
    const std::string body = test::TestPattern(50000);
    const std::string hash = DigestHex(DigestKind::Sha256, body);
    internet_.responses[kUrl] = FakeInternet::Body(body);
    std::string upper = hash;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const std::string& pin : {hash, upper}) {
        context_.sha256 = pin;
        std::string destination = Target();
        ASSERT_TRUE(Download(destination)) << Message();
        EXPECT_EQ(ReadFile(destination), body);
    }

    const std::string other = DigestHex(DigestKind::Sha256, "other");
    context_.sha256 = other;
    std::string destination = Target();
    EXPECT_FALSE(Download(destination));
    EXPECT_EQ(Message(),
              "Загруженный файл не совпадает с указанным в конфигурации и удалён: ожидался "
              "SHA-256 " +
                  other + ", получен " + hash);
    EXPECT_FALSE(fs::exists(destination));
    EXPECT_EQ(internet_.OpenHandles(), 0u);
}

TEST_F(DownloadTest, ReplacesAnEarlierFileAndWorksWithoutAPage) {
    const std::string destination = temp_.Write("setup.msi", std::string(90000, 'x')).string();
    internet_.responses[kUrl] = FakeInternet::Body("new");
    context_.progress = nullptr;
    std::string target = destination;
    ASSERT_TRUE(Download(target)) << Message();
    EXPECT_EQ(target, destination);
    EXPECT_EQ(ReadFile(destination), "new");
    EXPECT_TRUE(page_.entries.empty());
}

TEST_F(DownloadTest, CancelEndsTheTransferWithThePartReceived) {
    internet_.responses[kUrl] = FakeInternet::Body(test::TestPattern(100000));
    struct Case {
        std::size_t cancelAfter;  // messages, the opening one included
        std::size_t keptBytes;
    };
    // The block read when the cancel is seen is dropped.
    for (const Case c : {Case{1, 0}, Case{3, 40000}}) {
        SCOPED_TRACE(c.cancelAfter);
        page_.entries.clear();
        page_.cancel = false;
        page_.cancelAfter = c.cancelAfter;
        std::string destination = Target();
        EXPECT_TRUE(Download(destination));
        EXPECT_EQ(context_.message, "");
        EXPECT_EQ(ReadFile(destination), test::TestPattern(c.keptBytes));
        EXPECT_EQ(page_.entries.size(), c.cancelAfter);
        EXPECT_EQ(internet_.OpenHandles(), 0u);
    }
}

TEST_F(DownloadTest, EmptyDestinationBecomesANewTemporaryFile) {
    internet_.responses[kUrl] = FakeInternet::Body("archive");
    std::string first;
    std::string second;
    ASSERT_TRUE(Download(first)) << Message();
    ASSERT_TRUE(Download(second)) << Message();
    for (const std::string& path : {first, second}) {
        const fs::path file(path);
        EXPECT_EQ(file.parent_path(), temp_.path());
        EXPECT_TRUE(
            std::regex_match(file.filename().string(), std::regex("vel[0-9A-Fa-f]{1,4}\\.tmp")))
            << path;
        EXPECT_EQ(ReadFile(file), "archive");
    }
    EXPECT_NE(first, second);
}

struct Failure {
    const char* name;
    std::optional<FakeInternet::Response> response;  // nullopt: nobody answers
    std::string message;
    std::optional<std::string> kept;  // nullopt: the destination is not created
};

TEST_F(DownloadTest, FailuresLeaveTheirTextAndNeverAnErrorPage) {
    auto noStatus = FakeInternet::Body("ftp listing");
    noStatus.status = std::nullopt;
    auto reset = FakeInternet::Body(test::TestPattern(50000));
    reset.failAfter = 20000;
    auto untrusted = reset;
    untrusted.failAfter = 0;
    untrusted.readError = kErrorInternetInvalidCa;
    auto shortBody = FakeInternet::Body(test::TestPattern(30000));
    shortBody.contentLength = "50000";
    internet_.errorTexts[kErrorInternetConnectionReset] = "The connection was reset.";

    const Failure failures[] = {
        {"refused", std::nullopt, "The attempt to connect to the server failed.", std::nullopt},
        {"not found", FakeInternet::Status(404, "<html>no</html>"),
         "Ошибка при загрузке файла: сервер вернул код 404", std::nullopt},
        {"server error", FakeInternet::Status(500, "<html>oops</html>"),
         "Ошибка при загрузке файла: сервер вернул код 500", std::nullopt},
        {"no HTTP response", noStatus, "Ошибка при установлении соединения с сервером",
         std::nullopt},
        {"reset mid-body", reset, "The connection was reset.", test::TestPattern(20000)},
        {"error without a text", untrusted, "Ошибка при загрузке файла: код ошибки 12045", ""},
        {"body shorter than announced", shortBody,
         "Ошибка при загрузке файла: соединение с сервером прервано", test::TestPattern(30000)},
    };
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.name);
        internet_.responses.clear();
        if (failure.response) internet_.responses[kUrl] = *failure.response;
        fs::remove(Target());
        std::string destination = Target();
        context_.message.clear();
        EXPECT_FALSE(Download(destination));
        EXPECT_EQ(Message(), failure.message);
        if (failure.kept) {
            EXPECT_EQ(ReadFile(destination), *failure.kept);
        } else {
            EXPECT_FALSE(fs::exists(destination));
        }
        EXPECT_EQ(internet_.OpenHandles(), 0u);
    }
}

TEST_F(DownloadTest, LocalFileProblemsNameThePath) {
    internet_.responses[kUrl] = FakeInternet::Body("data");
    const std::string missing = (temp_.path() / "missing" / "setup.msi").string();
    std::string destination = missing;
    EXPECT_FALSE(Download(destination));
    EXPECT_EQ(context_.message, Utf8ToCp1251("Ошибка при создании файла ") + missing);
    EXPECT_EQ(internet_.OpenHandles(), 0u);

    system_.tempDirectory.clear();
    std::string temporary;
    EXPECT_FALSE(Download(temporary));
    EXPECT_EQ(Message(), "Ошибка при создании временного файла");
    EXPECT_EQ(temporary, "");
    EXPECT_EQ(internet_.OpenHandles(), 0u);
}

TEST_F(DownloadTest, SessionFailureIsTheLibraryError) {
    internet_.sessionError = kErrorInternetTimeout;
    std::string destination = Target();
    EXPECT_FALSE(Download(destination));
    EXPECT_EQ(Message(), "The request has timed out.");
    EXPECT_FALSE(fs::exists(destination));
}

// A full disk: the file is made but no byte of it written.
TEST_F(DownloadTest, FullDiskIsAFailureNamingTheFile) {
    constexpr long kErrorDiskFull = 112;
    privateFiles_.writeError = kErrorDiskFull;
    internet_.responses[kUrl] = FakeInternet::Body(test::TestPattern(30000));
    std::string destination = Target();
    EXPECT_FALSE(Download(destination));
    EXPECT_EQ(context_.message, Utf8ToCp1251("Ошибка при записи файла ") + destination);
    EXPECT_EQ(page_.entries.size(), 1u);
    EXPECT_EQ(internet_.OpenHandles(), 0u);
}

TEST_F(DownloadTest, AnHttpsAddressEndingAtAPlainOneIsRefused) {
    const std::string secure = "https://files.example/setup.msi";
    internet_.responses[secure] = FakeInternet::Body("served in the clear");
    internet_.responses[secure].redirectedTo = "http://files.example/setup.msi";
    std::string destination = Target();
    EXPECT_FALSE(Download(destination, secure));
    EXPECT_EQ(Message(),
              "Ошибка при загрузке файла: защищённое соединение перенаправлено на незащищённый "
              "адрес http://files.example/setup.msi");
    EXPECT_FALSE(fs::exists(destination));
    EXPECT_EQ(internet_.OpenHandles(), 0u);

    internet_.responses[secure].redirectedTo = "HTTPS://mirror.example/setup.msi";
    EXPECT_TRUE(Download(destination, secure)) << Message();
}

// Someone else's file at a fixed destination, or a link on its way.
TEST_F(DownloadTest, AFixedDestinationIsMadeAnewAndHeldUntilUsed) {
    internet_.responses[kUrl] = FakeInternet::Body("installer");
    std::string destination = Target();
    std::ofstream(destination) << "planted by another user, longer";
    fs::permissions(destination, fs::perms::all);
    PrivateFile kept({}, {&privateFiles_});
    ASSERT_TRUE(DownloadFile(internet_, system_, privateFiles_, context_, destination, kUrl, &kept))
        << Message();
    EXPECT_EQ(test::ReadFile(destination), "installer");
    EXPECT_EQ(privateFiles_.SecurityText(destination), kPrivateSecurity);
    EXPECT_TRUE(privateFiles_.IsSealed(destination));
    kept.Reset();
    EXPECT_FALSE(privateFiles_.IsSealed(destination));

    std::error_code error;
    fs::create_directory(temp_.path() / "elsewhere");
    fs::create_directory_symlink(temp_.path() / "elsewhere", temp_.path() / "link", error);
    if (error) GTEST_SKIP() << "no symbolic links here";
    std::string throughLink = (temp_.path() / "link" / "setup.msi").string();
    EXPECT_FALSE(Download(throughLink));
    EXPECT_EQ(Message(), "Ошибка при создании файла " + throughLink +
                             " (путь проходит через символическую ссылку или точку соединения)");
    EXPECT_TRUE(fs::is_empty(temp_.path() / "elsewhere"));
}

}  // namespace
}  // namespace velk
