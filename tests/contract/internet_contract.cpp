#include "contract/internet_contract.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "support/test_server.h"

namespace velk::test {

std::string ContractStatusPath(int status) { return "/status/" + std::to_string(status); }

std::string ContractStatusPage(int status) { return "status " + std::to_string(status) + " body"; }

namespace {

constexpr std::uint32_t kBlock = 20000;
// Nothing listens on port 1 of the loopback interface.
constexpr char kRefusedUrl[] = "http://127.0.0.1:1/";

class InternetContract : public ::testing::TestWithParam<InternetTarget> {
  protected:
    void SetUp() override {
        internet_ = GetParam().make();
        session_ = internet().Open("VELK Session", kInternetOpenTypePreconfig, "", "", 0);
        ASSERT_NE(session_, 0u) << internet().GetLastError();
    }

    void TearDown() override {
        if (session_ != 0) {
            EXPECT_TRUE(internet().CloseHandle(session_));
        }
    }

    Internet& internet() { return *internet_; }
    InternetHandle session() const { return session_; }

    InternetHandle OpenUrl(const std::string& url) {
        return internet().OpenUrl(session_, url,
                                  kInternetFlagDontCache | kInternetFlagTransferBinary, 1);
    }

    InternetHandle OpenPath(const std::string& path) {
        const InternetHandle file = OpenUrl(GetParam().url(path));
        EXPECT_NE(file, 0u) << path << ": error " << internet().GetLastError();
        return file;
    }

    // Reads blocks until the library reports the end; checks that no read
    // brings more than asked for.
    std::string ReadToEnd(InternetHandle file) {
        std::string data;
        std::vector<char> block(kBlock);
        for (;;) {
            std::uint32_t count = kBlock + 1;
            if (!internet().ReadFile(file, block.data(), kBlock, &count)) {
                ADD_FAILURE() << "read failed with " << internet().GetLastError();
                return data;
            }
            EXPECT_LE(count, kBlock);
            if (count == 0) return data;
            data.append(block.data(), count);
        }
    }

    std::string Header(InternetHandle file, std::uint32_t level) {
        std::string text = "untouched";
        EXPECT_TRUE(internet().HttpQueryInfo(file, level, &text)) << internet().GetLastError();
        return text;
    }

  private:
    std::unique_ptr<Internet> internet_;
    InternetHandle session_ = 0;
};

TEST_P(InternetContract, BodyWithLengthIsReadInBlocksToTheEnd) {
    ASSERT_TRUE(internet().SetOption(session(), kInternetOptionConnectTimeout, 20000));
    const InternetHandle file = OpenPath(kContractBodyPath);
    ASSERT_NE(file, 0u);
    EXPECT_EQ(Header(file, kHttpQueryStatusCode), "200");
    EXPECT_EQ(Header(file, kHttpQueryContentLength), std::to_string(kContractBodySize));
    EXPECT_EQ(ReadToEnd(file), TestPattern(kContractBodySize));
    // Past the end the library keeps saying so.
    char extra[16];
    std::uint32_t count = 1;
    EXPECT_TRUE(internet().ReadFile(file, extra, sizeof(extra), &count));
    EXPECT_EQ(count, 0u);
    EXPECT_TRUE(internet().CloseHandle(file));
}

TEST_P(InternetContract, BodyWithoutLengthHasNoLengthHeader) {
    const InternetHandle file = OpenPath(kContractChunkedPath);
    ASSERT_NE(file, 0u);
    EXPECT_EQ(Header(file, kHttpQueryStatusCode), "200");
    std::string length = "untouched";
    EXPECT_FALSE(internet().HttpQueryInfo(file, kHttpQueryContentLength, &length));
    EXPECT_EQ(internet().GetLastError(), kErrorHttpHeaderNotFound);
    EXPECT_EQ(ReadToEnd(file), TestPattern(kContractBodySize));
    EXPECT_TRUE(internet().CloseHandle(file));
}

TEST_P(InternetContract, ErrorStatusStillOpensWithItsPage) {
    for (const int status : kContractErrorStatuses) {
        SCOPED_TRACE(status);
        const InternetHandle file = OpenPath(ContractStatusPath(status));
        ASSERT_NE(file, 0u);
        EXPECT_EQ(Header(file, kHttpQueryStatusCode), std::to_string(status));
        const std::string page = ContractStatusPage(status);
        EXPECT_EQ(Header(file, kHttpQueryContentLength), std::to_string(page.size()));
        EXPECT_EQ(ReadToEnd(file), page);
        EXPECT_TRUE(internet().CloseHandle(file));
    }
}

TEST_P(InternetContract, DroppedBodyEndsQuietlyShort) {
    const InternetHandle file = OpenPath(kContractDroppedPath);
    ASSERT_NE(file, 0u);
    EXPECT_EQ(Header(file, kHttpQueryContentLength), "100000");
    EXPECT_EQ(ReadToEnd(file), TestPattern(kContractDroppedSize));
    EXPECT_TRUE(internet().CloseHandle(file));
}

TEST_P(InternetContract, TrustedCertificateForTheHostOpens) {
    const InternetHandle file = OpenUrl(GetParam().tlsUrl(kContractBodyPath));
    ASSERT_NE(file, 0u) << internet().GetLastError();
    EXPECT_EQ(Header(file, kHttpQueryStatusCode), "200");
    EXPECT_EQ(ReadToEnd(file), TestPattern(kContractBodySize));
    EXPECT_TRUE(internet().CloseHandle(file));
}

TEST_P(InternetContract, CertificateProblemsFailToOpen) {
    struct Case {
        std::string url;
        std::uint32_t error;
    };
    const Case cases[] = {
        {GetParam().wrongHostUrl(kContractBodyPath), kErrorInternetSecCertCnInvalid},
        {GetParam().untrustedUrl(kContractBodyPath), kErrorInternetInvalidCa},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(OpenUrl(c.url), 0u);
        EXPECT_EQ(internet().GetLastError(), c.error);
    }
}

TEST_P(InternetContract, RefusedConnectionFailsToOpenWithItsText) {
    EXPECT_EQ(internet().OpenUrl(session(), kRefusedUrl, kInternetFlagDontCache, 1), 0u);
    const std::uint32_t error = internet().GetLastError();
    EXPECT_EQ(error, kErrorInternetCannotConnect);
    const std::string text = internet().ErrorText(error);
    EXPECT_FALSE(text.empty());
    EXPECT_LT(text.size(), kInternetErrorTextBuffer);
    EXPECT_NE(text.back(), '\n');
}

TEST_P(InternetContract, LongErrorTextIsCutToTheBuffer) {
    const std::string text = internet().ErrorText(kErrorInternetSecCertDateInvalid);
    EXPECT_EQ(text.size(), kInternetErrorTextBuffer - 1) << text;
}

TEST_P(InternetContract, UnknownSchemeFailsToOpen) {
    EXPECT_EQ(internet().OpenUrl(session(), "file:///C:/windows/win.ini", 0, 1), 0u);
    EXPECT_EQ(internet().GetLastError(), kErrorInternetUnrecognizedScheme);
}

TEST_P(InternetContract, TheUrlOfAResponseIsWhereRedirectsEnded) {
    const std::string target = GetParam().url(kContractBodyPath);
    for (const std::string& opened : {target, GetParam().url("/redirect?to=" + target)}) {
        const InternetHandle file = OpenUrl(opened);
        ASSERT_NE(file, 0u) << opened;
        std::string url;
        EXPECT_TRUE(internet().QueryUrl(file, &url)) << opened;
        EXPECT_EQ(url, target);
        EXPECT_TRUE(internet().CloseHandle(file));
    }
}

TEST_P(InternetContract, SessionIsNoResponse) {
    std::string text;
    EXPECT_FALSE(internet().HttpQueryInfo(session(), kHttpQueryStatusCode, &text));
    EXPECT_EQ(internet().GetLastError(), kErrorInternetIncorrectHandleType);
}

INSTANTIATE_TEST_SUITE_P(Targets, InternetContract, ::testing::ValuesIn(InternetTargets()),
                         [](const auto& target) { return target.param.name; });

}  // namespace
}  // namespace velk::test
