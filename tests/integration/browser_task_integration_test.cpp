// The browser settings task over the real urlmon and registry: what it sets
// must be what the browser's own zone lookups see, and be detected again.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <string>

#include "engine/install_plan.h"
#include "fakes/fake_platform.h"
#include "platform/codepage.h"
#include "platform/win32/win32_com.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_zones.h"
#include "support/recording_page.h"
#include "support/win32_cleanup.h"
#include "tasks/browser_task.h"
#include "tasks/compat_view_list.h"

namespace velk {
namespace {

constexpr char kInternetSettings[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\";
constexpr char kCompatKey[] =
    "SOFTWARE\\Microsoft\\Internet Explorer\\BrowserEmulation\\ClearableListData";
constexpr std::uint32_t kAllowedAction = 0x27F2;
constexpr std::uint32_t kDisallowedAction = 0x27F3;

class BrowserTaskIntegrationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(zones_.CreateZoneManager(&manager_), kSOk);
        ASSERT_GE(manager_->GetZoneAttributes(kUrlZoneTrusted, &original_), 0);
        test::RemoveRegistryTree(kHkeyCurrentUser, kCompatKey);
    }
    void TearDown() override {
        if (manager_) manager_->SetZoneAttributes(kUrlZoneTrusted, original_);
        test::RemoveRegistryTree(kHkeyCurrentUser,
                                 std::string(kInternetSettings) + "ZoneMap\\Domains\\" + domain_);
        const std::string zonePath = std::string(kInternetSettings) + "Zones\\2";
        for (const char* action : {"27F2", "27F3"}) {
            ::RegDeleteKeyValueA(HKEY_CURRENT_USER, zonePath.c_str(), action);
        }
        test::RemoveRegistryTree(kHkeyCurrentUser, kCompatKey);
    }

    std::uint32_t ZoneOf(const std::string& url) {
        std::unique_ptr<SecurityManager> security;
        EXPECT_EQ(zones_.CreateSecurityManager(&security), kSOk);
        std::uint32_t zone = 99;
        EXPECT_EQ(security->MapUrlToZone(Utf8ToUtf16(url), 0, &zone), kSOk);
        return zone;
    }
    std::uint32_t PolicyOf(std::uint32_t action) {
        std::uint32_t policy = 99;
        EXPECT_EQ(manager_->GetZoneActionPolicy(kUrlZoneTrusted, action, &policy, kUrlZoneRegHkcu),
                  kSOk);
        return policy;
    }
    TaskStatus Detected(const std::string& yaml) {
        BrowserTask task(platform_);
        task.Load(ReadYamlPairsFromText(yaml));
        task.Detect();
        return task.status;
    }

    Win32Com com_;
    ComScope comScope_{com_};
    Win32Registry registry_;
    Win32Zones zones_;
    FakePlatform fakes_;
    Platform platform_{registry_,    fakes_.system,      fakes_.internet, fakes_.processes,
                       fakes_.com,   fakes_.ui,          zones_,          fakes_.certificates,
                       fakes_.files, fakes_.privateFiles};
    std::unique_ptr<ZoneManager> manager_;
    ZoneAttributes original_;
    std::string domain_ =
        "velk" +
        std::to_string(std::chrono::steady_clock::now().time_since_epoch().count() % 1000000000) +
        ".ru";
    test::RecordingPage page_;
    std::atomic<bool> cancel_{false};
};

TEST_F(BrowserTaskIntegrationTest, SettingsAreSeenByTheBrowserAndDetectedAgain) {
    const std::string yaml = "type: browser_setup\nTrustedHost: https://sign." + domain_ +
                             "/\nTrustedHost: http://" + domain_ +
                             "\nEnabledSettings: 27F2\nDisabledSettings: 27f3\n"
                             "CompatibilityModeHost: http://lk." +
                             domain_ + "\n";
    EXPECT_EQ(Detected(yaml), TaskStatus::NotInstalled);

    BrowserTask task(platform_);
    task.Load(ReadYamlPairsFromText(yaml));
    task.Execute({}, page_, cancel_);
    EXPECT_EQ(task.status, TaskStatus::Installed);

    EXPECT_EQ(ZoneOf("https://sign." + domain_ + "/login"), kUrlZoneTrusted);
    EXPECT_EQ(ZoneOf("http://" + domain_ + "/"), kUrlZoneTrusted);
    EXPECT_EQ(ZoneOf("https://" + domain_ + "/"), kUrlZoneInternet);
    EXPECT_EQ(PolicyOf(kAllowedAction), kUrlPolicyAllow);
    EXPECT_EQ(PolicyOf(kDisallowedAction), kUrlPolicyDisallow);
    ZoneAttributes attributes;
    ASSERT_GE(manager_->GetZoneAttributes(kUrlZoneTrusted, &attributes), 0);
    EXPECT_EQ(attributes.flags, original_.flags & ~kZaFlagsRequireVerification);
    EXPECT_EQ(attributes.templateCurrentLevel, kUrlTemplateCustom);
    CompatViewList list(registry_);
    EXPECT_EQ(list.ParseUserFilter(), std::vector<std::string>{"lk." + domain_});

    EXPECT_EQ(Detected(yaml), TaskStatus::Installed);
}

}  // namespace
}  // namespace velk
