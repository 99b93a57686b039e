#include "contract/zones_contract.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "contract/com_contract.h"
#include "platform/codepage.h"

namespace velk::test {
namespace {

// Unmapped actions of the trusted zone that the suite may set and remove.
constexpr std::uint32_t kScratchAction = 0x27F0;
constexpr std::uint32_t kUnsetAction = 0x27F1;
constexpr std::uint32_t kIntranetZone = 1;

class ZonesContract : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(zones_->CreateSecurityManager(&security_), kSOk);
        ASSERT_EQ(zones_->CreateZoneManager(&manager_), kSOk);
        ASSERT_TRUE(security_ && manager_);
    }
    void TearDown() override {
        for (const std::string& domain : domains_) target_.forgetDomain(domain);
        target_.forgetTrustedPolicy(kScratchAction);
    }

    // A domain of its own for each use, taken back afterwards.
    std::string Domain() {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        domains_.push_back("velk" + std::to_string(stamp % 1000000000) + "n" +
                           std::to_string(domains_.size()) + ".ru");
        return domains_.back();
    }

    std::uint32_t ZoneOf(const std::string& url) {
        std::uint32_t zone = 99;
        EXPECT_EQ(security_->MapUrlToZone(Utf8ToUtf16(url), 0, &zone), kSOk) << url;
        return zone;
    }

    std::vector<std::string> TrustedMappings() {
        std::vector<std::u16string> patterns;
        EXPECT_EQ(security_->GetZoneMappings(kUrlZoneTrusted, 0, &patterns), kSOk);
        std::vector<std::string> texts;
        for (const auto& pattern : patterns) texts.push_back(Utf16ToUtf8(pattern));
        return texts;
    }

    bool Listed(const std::string& mapping) {
        const std::vector<std::string> mappings = TrustedMappings();
        return std::find(mappings.begin(), mappings.end(), mapping) != mappings.end();
    }

    ZonesTarget target_ = MakeZonesTarget();
    std::unique_ptr<Com> com_ = MakeCom();
    ComScope comScope_{*com_};
    std::unique_ptr<Zones> zones_ = target_.make();
    std::unique_ptr<SecurityManager> security_;
    std::unique_ptr<ZoneManager> manager_;
    std::vector<std::string> domains_;
};

TEST_F(ZonesContract, MappedHostsAreInTheZoneForTheirSchemeAndListedWithoutTrailingSlash) {
    const std::string plain = Domain();
    const std::string secure = Domain();
    const std::string wild = Domain();
    const std::string anySub = Domain();
    const struct {
        std::string pattern;
        std::string listedAs;
        std::vector<std::string> trustedUrls;
        std::vector<std::string> otherUrls;
    } cases[] = {
        {"http://" + plain + "/",
         "http://" + plain,
         {"http://" + plain + "/", "http://" + plain + "/a/b"},
         {"https://" + plain + "/"}},
        {"https://www." + secure,
         "https://www." + secure,
         {"https://www." + secure + "/", "https://www." + secure + "/index.html"},
         {"http://www." + secure + "/", "https://mail." + secure + "/"}},
        {"*.sign." + wild,
         "*.sign." + wild,
         {"http://abcd.sign." + wild + "/", "https://bcde.sign." + wild + "/x"},
         {"https://abcd.other." + wild + "/"}},
        // Wine's urlmon does not place hosts by a "*" right before the domain
        // (nor by a one-letter label before a "*."), so only the list is compared.
        {"https://*." + anySub + "/", "https://*." + anySub, {}, {}},
    };
    for (const auto& item : cases) {
        EXPECT_EQ(security_->SetZoneMapping(kUrlZoneTrusted, Utf8ToUtf16(item.pattern), kSzmCreate),
                  kSOk)
            << item.pattern;
    }
    for (const auto& item : cases) {
        EXPECT_TRUE(Listed(item.listedAs)) << item.pattern;
        for (const auto& url : item.trustedUrls) EXPECT_EQ(ZoneOf(url), kUrlZoneTrusted) << url;
        for (const auto& url : item.otherUrls) EXPECT_EQ(ZoneOf(url), kUrlZoneInternet) << url;
    }
}

TEST_F(ZonesContract, MappingAgainKeepsTheFirstAndAnswersFileExists) {
    const std::string pattern = "https://" + Domain();
    ASSERT_EQ(security_->SetZoneMapping(kIntranetZone, Utf8ToUtf16(pattern), kSzmCreate), kSOk);
    EXPECT_EQ(security_->SetZoneMapping(kUrlZoneTrusted, Utf8ToUtf16(pattern), kSzmCreate),
              kHResultFileExists);
    EXPECT_EQ(security_->SetZoneMapping(kUrlZoneTrusted, Utf8ToUtf16(pattern + "/"), kSzmCreate),
              kHResultFileExists);
    EXPECT_EQ(ZoneOf(pattern + "/"), kIntranetZone);
    // Mappings of another zone are not in the trusted zone's list.
    EXPECT_FALSE(Listed(pattern));
}

TEST_F(ZonesContract, PatternsThatAreNotHostsAreRefused) {
    const std::string domain = Domain();
    for (const std::string& pattern : {"https://" + domain + "/path", std::string("https://"),
                                      std::string("://" + domain), std::string()}) {
        EXPECT_LT(security_->SetZoneMapping(kUrlZoneTrusted, Utf8ToUtf16(pattern), kSzmCreate), 0)
            << pattern;
    }
    EXPECT_EQ(ZoneOf("https://" + domain + "/"), kUrlZoneInternet);
}

TEST_F(ZonesContract, ZoneAttributesComeBackAsWritten) {
    ZoneAttributes original;
    ASSERT_GE(manager_->GetZoneAttributes(kUrlZoneTrusted, &original), 0);
    EXPECT_FALSE(original.displayName.empty());

    ZoneAttributes changed = original;
    changed.flags ^= kZaFlagsRequireVerification;
    changed.templateCurrentLevel = kUrlTemplateCustom;
    ASSERT_GE(manager_->SetZoneAttributes(kUrlZoneTrusted, changed), 0);
    ZoneAttributes read;
    const HResult readBack = manager_->GetZoneAttributes(kUrlZoneTrusted, &read);
    ASSERT_GE(manager_->SetZoneAttributes(kUrlZoneTrusted, original), 0);

    ASSERT_GE(readBack, 0);
    EXPECT_EQ(read.flags, changed.flags);
    EXPECT_EQ(read.templateCurrentLevel, changed.templateCurrentLevel);
    EXPECT_EQ(read.templateMinLevel, original.templateMinLevel);
    EXPECT_EQ(read.templateRecommended, original.templateRecommended);
    EXPECT_EQ(read.displayName, original.displayName);
}

TEST_F(ZonesContract, ActionPoliciesWrittenForTheUserAreReadBack) {
    for (const std::uint32_t policy : {kUrlPolicyDisallow, kUrlPolicyAllow}) {
        ASSERT_EQ(
            manager_->SetZoneActionPolicy(kUrlZoneTrusted, kScratchAction, policy, kUrlZoneRegHkcu),
            kSOk);
        std::uint32_t read = 99;
        EXPECT_EQ(
            manager_->GetZoneActionPolicy(kUrlZoneTrusted, kScratchAction, &read, kUrlZoneRegHkcu),
            kSOk);
        EXPECT_EQ(read, policy);
    }
    std::uint32_t unset = 99;
    EXPECT_LT(manager_->GetZoneActionPolicy(kUrlZoneTrusted, kUnsetAction, &unset, kUrlZoneRegHkcu),
              0);
}

}  // namespace
}  // namespace velk::test
