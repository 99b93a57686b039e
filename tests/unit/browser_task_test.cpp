#include "tasks/browser_task.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/install_plan.h"
#include "fakes/fake_platform.h"
#include "platform/codepage.h"
#include "platform/registry_key.h"
#include "platform/system_errors.h"
#include "support/recording_page.h"
#include "support/test_support.h"
#include "tasks/compat_view_list.h"

namespace velk {
namespace {

using Actions = std::vector<std::uint32_t>;
using test::ErrorOf;

TEST(ParseActionList, ReadsCodesAndAscendingRangesInTextOrder) {
    const struct {
        const char* text;
        Actions actions;
    } cases[] = {
        {"0x00001200-0x00001204 0x00002201", {0x1200, 0x1201, 0x1202, 0x1203, 0x1204, 0x2201}},
        {"1a00 0X1A04 0x1a10\t\r\n1400", {0x1A00, 0x1A04, 0x1A10, 0x1400}},
        {"2201 1200 2201", {0x2201, 0x1200, 0x2201}},
        {"1204-1200 1300", {0x1300}},
        {"1206-1206", {0x1206}},
        {"0xFFFFFFFE-0xffffffff", {0xFFFFFFFE, 0xFFFFFFFF}},
        {"", {}},
        {"  \n ", {}},
        // Tokens that are not hexadecimal are skipped, the others kept.
        {"12g0 1200 0x -1201 1201- 12-zz 1300", {0x1200, 0x1300}},
        {"100000000 1200", {0x1200}},
        {"+1200 0x-1 1400", {0x1400}},
        {"1200-1201-1202", {}},
        // A range beyond any set of URL actions is refused.
        {"0-ffffffff 1200", {0x1200}},
    };
    for (const auto& item : cases) {
        EXPECT_EQ(ParseActionList(item.text), item.actions) << item.text;
    }
    EXPECT_EQ(ParseActionList("0-ffff").size(), 0x10000u);
    EXPECT_TRUE(ParseActionList("0-10000").empty());
}

TEST(ZoneCallSucceeded, AcceptsSuccessCodesAndAnExistingEntry) {
    const struct {
        HResult result;
        bool succeeded;
    } cases[] = {
        {kSOk, true},          {1, true},          {kHResultFileExists, true},
        {kEFail, false},       {kENotImpl, false}, {static_cast<HResult>(0x80070051u), false},
        {kEInvalidArg, false},
    };
    for (const auto& item : cases) EXPECT_EQ(ZoneCallSucceeded(item.result), item.succeeded);
}

class BrowserTaskTest : public ::testing::Test {
  protected:
    std::unique_ptr<BrowserTask> Task(const std::string& yaml) {
        auto task = std::make_unique<BrowserTask>(fakes_->platform);
        task->Load(ReadYamlPairsFromText("type: browser_setup\n" + yaml));
        return task;
    }
    TaskStatus Detected(const std::string& yaml) {
        auto task = Task(yaml);
        task->Detect();
        return task->status;
    }
    void Execute(BrowserTask& task) { task.Execute({}, page, cancel); }

    // The compatibility-view list as stored now.
    std::vector<std::string> CompatHosts() {
        CompatViewList list(registry());
        return list.ParseUserFilter();
    }
    // Replaces the stored list by these hosts.
    void StoreCompatHosts(const std::vector<std::string>& hosts) {
        const std::vector<UserFilterTime> times(hosts.size(), UserFilterTime{1, 2, 3});
        const std::vector<std::uint8_t> value = EncodeUserFilter(times, hosts);
        RegKey key = RegKey::Create(registry(), kHkeyCurrentUser, kCompatKey, kKeyAllAccess);
        ASSERT_EQ(key.Set("UserFilter", kRegBinary, std::string(value.begin(), value.end())),
                  kErrorSuccess);
    }
    void StoreMalformedCompatList() {
        RegKey key = RegKey::Create(registry(), kHkeyCurrentUser, kCompatKey, kKeyAllAccess);
        ASSERT_EQ(key.Set("UserFilter", kRegBinary, std::string(30, '\x41')), kErrorSuccess);
    }
    std::string StoredCompatValue() {
        const RegKey key = RegKey::Open(registry(), kHkeyCurrentUser, kCompatKey, kKeyRead);
        std::string data;
        if (key) key.Query("UserFilter", 1 << 16, nullptr, &data);
        return data;
    }
    std::vector<std::u16string> TrustedMappings() {
        std::vector<std::u16string> texts;
        for (const auto& [text, zone] : zones().mappings) {
            if (zone == kUrlZoneTrusted) texts.push_back(text);
        }
        return texts;
    }
    void ExpectEverythingReleased() {
        EXPECT_EQ(zones().LiveObjects(), 0);
        EXPECT_EQ(registry().OpenHandleCount(), 0u);
    }

    static constexpr char kCompatKey[] =
        "SOFTWARE\\Microsoft\\Internet Explorer\\BrowserEmulation\\ClearableListData";

    // A machine as fresh as at the start of the test.
    void Reset() { fakes_ = std::make_unique<FakePlatform>(); }
    FakeRegistry& registry() { return fakes_->registry; }

    std::unique_ptr<FakePlatform> fakes_ = std::make_unique<FakePlatform>();
    FakeZones& zones() { return fakes_->zones; }
    test::RecordingPage page;
    std::atomic<bool> cancel{false};
};

TEST_F(BrowserTaskTest, StatusWordsSayConfigured) {
    BrowserTask task(fakes_->platform);
    const struct {
        int status;
        const char* detail;
        const char* text;
    } cases[] = {
        {1, "", "не настроен"},        {2, "", "загружено"},          {3, "", "настроен"},
        {4, "", "настроен"},           {3, "IE 11", "IE 11"},         {6, "", "ошибка"},
        {5, "", "неизвестный статус"}, {0, "", "неизвестный статус"},
    };
    for (const auto& item : cases) {
        task.status = static_cast<TaskStatus>(item.status);
        task.statusDetail = item.detail;
        EXPECT_EQ(Cp1251ToUtf8(task.StatusText()), item.text) << item.status;
    }
}

TEST_F(BrowserTaskTest, LoadsHostsAndTheLastOfEachActionList) {
    const auto task = Task(
        "TrustedHost: https://a.example.ru/\n"
        "CompatibilityModeHost: http://b.example.ru\n"
        "EnabledSettings: 1200-1201\n"
        "TrustedHost:\n  - http://c.example.ru\n  - \"*.d.example.ru\"\n"
        "CompatibilityModeHost: https://e.example.ru\n"
        "CompatibilityModeHost: f.example.ru\n"
        "EnabledSettings: 1400 1402\n"
        "DisabledSettings: 1004\n"
        "trustedhost: ignored.example.ru\n");
    EXPECT_EQ(task->trustedHosts,
              (std::vector<std::string>{"https://a.example.ru/", "http://c.example.ru",
                                        "*.d.example.ru"}));
    EXPECT_EQ(task->compatHosts,
              (std::vector<std::string>{"b.example.ru", "https://e.example.ru", "f.example.ru"}));
    EXPECT_EQ(task->enabledActions, (Actions{0x1400, 0x1402}));
    EXPECT_EQ(task->disabledActions, (Actions{0x1004}));
}

TEST_F(BrowserTaskTest, LoadsAComponentFile) {
    BrowserTask task(fakes_->platform);
    task.Load(ReadYamlPairs(test::DataFile("components/lotos_torg_sites.yaml").string()));
    EXPECT_EQ(task.trustedHosts,
              (std::vector<std::string>{
                  "https://lotos-torg.example", "http://sign.lotos-torg.example",
                  "https://*.lotos-torg.example", "https://lk.lotos-torg.example/"}));
    EXPECT_EQ(task.compatHosts,
              (std::vector<std::string>{"lotos-torg.example", "zakupki.lotos-torg.example"}));
    EXPECT_EQ(task.enabledActions,
              (Actions{0x1200, 0x1201, 0x1202, 0x1203, 0x1204, 0x1205, 0x1206, 0x1400, 0x2201}));
    EXPECT_EQ(task.disabledActions, (Actions{0x1004}));
}

TEST_F(BrowserTaskTest, DetectsConfiguredOnlyWhenEverySettingIsInPlace) {
    const std::string yaml =
        "TrustedHost: https://a.example.ru/\n"
        "TrustedHost: http://b.example.ru\n"
        "EnabledSettings: 1200 1201 1400\n"
        "DisabledSettings: 1004\n"
        "CompatibilityModeHost: http://c.example.ru\n";
    const auto configure = [this] {
        zones().mappings = {{u"https://a.example.ru", kUrlZoneTrusted},
                            {u"http://b.example.ru", kUrlZoneTrusted}};
        for (const std::uint32_t action : {0x1200u, 0x1201u, 0x1400u}) {
            zones().policies[{kUrlZoneTrusted, action}] = kUrlPolicyAllow;
        }
        zones().policies[{kUrlZoneTrusted, 0x1004}] = kUrlPolicyDisallow;
        StoreCompatHosts({"x.example.ru", "c.example.ru"});
    };
    const struct {
        const char* name;
        std::function<void()> change;
        TaskStatus status;
    } cases[] = {
        {"all in place", [] {}, TaskStatus::Installed},
        {"host mapped to another zone", [this] { zones().mappings[1].second = kUrlZoneInternet; },
         TaskStatus::NotInstalled},
        {"host mapped with another case",
         [this] { zones().mappings[0].first = u"https://A.example.ru"; }, TaskStatus::NotInstalled},
        {"host mapped with its trailing slash",
         [this] { zones().mappings[0].first = u"https://a.example.ru/"; },
         TaskStatus::NotInstalled},
        {"last enabled action disallowed",
         [this] {
             zones().policies[{kUrlZoneTrusted, 0x1400}] = kUrlPolicyDisallow;
         },
         TaskStatus::NotInstalled},
        {"first enabled action prompting",
         [this] {
             zones().policies[{kUrlZoneTrusted, 0x1200}] = 1;
         },
         TaskStatus::NotInstalled},
        {"disabled action allowed",
         [this] {
             zones().policies[{kUrlZoneTrusted, 0x1004}] = kUrlPolicyAllow;
         },
         TaskStatus::NotInstalled},
        {"policy that cannot be read",
         [this] {
             zones().policies[{kUrlZoneTrusted, 0x1201}] = kUrlPolicyDisallow;
             zones().FailActionPolicy(0x1201, kEFail);
         },
         TaskStatus::Installed},
        {"policy never set",
         [this] {
             zones().policies.erase({kUrlZoneTrusted, 0x1004});
         },
         TaskStatus::Installed},
        {"compatibility host missing", [this] { StoreCompatHosts({"x.example.ru"}); },
         TaskStatus::NotInstalled},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.name);
        Reset();
        configure();
        item.change();
        EXPECT_EQ(Detected(yaml), item.status);
        ExpectEverythingReleased();
    }
}

TEST_F(BrowserTaskTest, DetectsConfiguredWithNothingToSet) {
    EXPECT_EQ(Detected(""), TaskStatus::Installed);
    zones().mappings = {{u"https://other.example.ru", kUrlZoneTrusted}};
    StoreCompatHosts({"other.example.ru"});
    EXPECT_EQ(Detected(""), TaskStatus::Installed);
}

TEST_F(BrowserTaskTest, DetectionFailuresSayWhatCouldNotBeDone) {
    const struct {
        std::function<void()> fail;
        const char* message;
    } cases[] = {
        {[this] { zones().Fail(FakeZones::Call::CreateSecurityManager, kEFail); },
         "Невозможно создать объект InternetSecurityManager"},
        {[this] { zones().Fail(FakeZones::Call::GetZoneMappings, kHResultFileExists); },
         "Ошибка при чтении доверенных узлов"},
        {[this] { zones().Fail(FakeZones::Call::CreateZoneManager, kENotImpl); },
         "Невозможно создать объект InternetZoneManager"},
        {[this] { StoreMalformedCompatList(); }, "Wrong format of UserFilter"},
    };
    for (const auto& item : cases) {
        Reset();
        item.fail();
        auto task = Task("TrustedHost: https://a.example.ru\n");
        EXPECT_EQ(ErrorOf([&] { task->Detect(); }), item.message);
        EXPECT_EQ(task->status, TaskStatus::NotInstalled);
        ExpectEverythingReleased();
    }
}

TEST_F(BrowserTaskTest, ExecutionConfiguresTheTrustedZoneAndTheCompatibilityList) {
    StoreCompatHosts({"old.example.ru"});
    auto task = Task(
        "TrustedHost: https://a.example.ru/\n"
        "TrustedHost: https://портал.рф\n"
        "EnabledSettings: 1200-1201\n"
        "DisabledSettings: 1004\n"
        "CompatibilityModeHost: http://old.example.ru\n"
        "CompatibilityModeHost: new.example.ru\n"
        "CompatibilityModeHost: new.example.ru\n");
    const ZoneAttributes before = zones().attributes[kUrlZoneTrusted];
    Execute(*task);

    const ZoneAttributes& after = zones().attributes[kUrlZoneTrusted];
    EXPECT_EQ(after.flags, before.flags & ~kZaFlagsRequireVerification);
    EXPECT_EQ(after.templateCurrentLevel, kUrlTemplateCustom);
    EXPECT_EQ(after.templateMinLevel, before.templateMinLevel);
    EXPECT_EQ(after.templateRecommended, before.templateRecommended);
    EXPECT_EQ(after.displayName, before.displayName);
    // Mapped as written, listed without the trailing slash.
    EXPECT_EQ(zones().mappingRequests,
              (std::vector<std::u16string>{u"https://a.example.ru/", u"https://портал.рф"}));
    EXPECT_EQ(TrustedMappings(),
              (std::vector<std::u16string>{u"https://a.example.ru", u"https://портал.рф"}));
    EXPECT_EQ(zones().policies, (std::map<std::pair<std::uint32_t, std::uint32_t>, std::uint32_t>{
                                    {{kUrlZoneTrusted, 0x1200}, kUrlPolicyAllow},
                                    {{kUrlZoneTrusted, 0x1201}, kUrlPolicyAllow},
                                    {{kUrlZoneTrusted, 0x1004}, kUrlPolicyDisallow}}));
    EXPECT_EQ(CompatHosts(),
              (std::vector<std::string>{"old.example.ru", "new.example.ru", "new.example.ru"}));

    EXPECT_EQ(task->status, TaskStatus::Installed);
    ASSERT_EQ(page.entries.size(), 1u);
    EXPECT_EQ(page.entries[0].message, test::Step::TaskFinished);
    EXPECT_EQ(page.entries[0].wParam, 0u);
    EXPECT_EQ(page.entries[0].lParam, reinterpret_cast<std::intptr_t>(task.get()));
    ExpectEverythingReleased();

    // What was set is detected, and a second run adds nothing.
    auto again = Task(
        "TrustedHost: https://a.example.ru/\nTrustedHost: https://портал.рф\n"
        "EnabledSettings: 1200-1201\nDisabledSettings: 1004\n"
        "CompatibilityModeHost: new.example.ru\n");
    again->Detect();
    EXPECT_EQ(again->status, TaskStatus::Installed);
    Execute(*again);
    EXPECT_EQ(CompatHosts(),
              (std::vector<std::string>{"old.example.ru", "new.example.ru", "new.example.ru"}));
    EXPECT_EQ(TrustedMappings().size(), 2u);
}

TEST_F(BrowserTaskTest, ExecutionWithNothingToSetStillWritesTheZoneAndAnEmptyList) {
    auto task = Task("");
    Execute(*task);
    EXPECT_EQ(zones().attributes[kUrlZoneTrusted].flags & kZaFlagsRequireVerification, 0u);
    EXPECT_EQ(StoredCompatValue().size(), 24u);
    EXPECT_TRUE(zones().mappingRequests.empty());
    EXPECT_EQ(task->status, TaskStatus::Installed);
}

TEST_F(BrowserTaskTest, ExecutionStopsAtTheFirstFailureKeepingEarlierChanges) {
    const std::string yaml =
        "TrustedHost: https://a.example.ru\nTrustedHost: https://b.example.ru\n"
        "TrustedHost: https://c.example.ru\n"
        "EnabledSettings: 1200 1201\nDisabledSettings: 1004\n"
        "CompatibilityModeHost: d.example.ru\n";
    enum Step { None, Attributes, Mappings, Policies, CompatList };
    const struct {
        std::function<void()> fail;
        const char* message;
        Step applied;  // the last step whose changes are in place
        std::size_t mapped;
    } cases[] = {
        {[this] { zones().Fail(FakeZones::Call::CreateSecurityManager, kEFail); },
         "Невозможно создать объект InternetSecurityManager", None, 0},
        {[this] { zones().Fail(FakeZones::Call::CreateZoneManager, kEFail); },
         "Невозможно создать объект InternetZoneManager", None, 0},
        {[this] { zones().Fail(FakeZones::Call::GetZoneAttributes, kEFail); },
         "Невозможно получить аттрибуты зоны", None, 0},
        {[this] { zones().Fail(FakeZones::Call::SetZoneAttributes, kEInvalidArg); },
         "Ошибка при настройке параметров IE", None, 0},
        {[this] { zones().FailMapping(u"https://b.example.ru", kEFail); },
         "Ошибка при добавлении доверенного узла", Attributes, 1},
        {[this] { zones().FailActionPolicy(0x1004, kENotImpl); },
         "Ошибка при настройке параметров IE", Mappings, 3},
        {[this] { StoreMalformedCompatList(); }, "Wrong format of UserFilter", Policies, 3},
    };
    for (const auto& item : cases) {
        Reset();
        item.fail();
        const std::string compatBefore = StoredCompatValue();
        auto task = Task(yaml);
        page.entries.clear();
        EXPECT_EQ(ErrorOf([&] { Execute(*task); }), item.message);
        SCOPED_TRACE(item.message);

        const bool zoneChanged =
            (zones().attributes[kUrlZoneTrusted].flags & kZaFlagsRequireVerification) == 0;
        EXPECT_EQ(zoneChanged, item.applied >= Attributes);
        EXPECT_EQ(TrustedMappings().size(), item.mapped);
        EXPECT_EQ(zones().policies.count({kUrlZoneTrusted, 0x1200}) == 1, item.applied >= Mappings);
        EXPECT_EQ(StoredCompatValue(), compatBefore);
        EXPECT_TRUE(page.entries.empty());
        EXPECT_EQ(task->status, TaskStatus::NotInstalled);
        ExpectEverythingReleased();
    }
}

TEST_F(BrowserTaskTest, ExistingMappingsCountAsDone) {
    zones().mappings = {{u"https://a.example.ru", kUrlZoneTrusted}};
    auto task = Task("TrustedHost: https://a.example.ru/\nTrustedHost: https://b.example.ru\n");
    Execute(*task);
    EXPECT_EQ(task->status, TaskStatus::Installed);
    EXPECT_EQ(TrustedMappings(),
              (std::vector<std::u16string>{u"https://a.example.ru", u"https://b.example.ru"}));
}

}  // namespace
}  // namespace velk
