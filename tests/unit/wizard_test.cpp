#include "app/wizard.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/command_line.h"
#include "fakes/fake_dialog_host.h"
#include "fakes/fake_platform.h"
#include "pages/page_result.h"
#include "platform/codepage.h"
#include "platform/registry_key.h"
#include "platform/shutdown.h"
#include "platform/system_errors.h"
#include "support/test_support.h"

namespace velk {
namespace {

using Host = FakeDialogHost;

struct NoShutdown : Shutdown {
    bool RestartComputer() override { return false; }
};

// The whole wizard over a configuration laid out by hand, with a scripted
// window and the fakes of the system.
class WizardTest : public ::testing::Test {
  protected:
    WizardTest() {
        run_.localMode = true;
        run_.dataFolder = folder_.path().string();
        folder_.Write("providers.yaml", "- provider:\n    name: Site\n    components: settings\n");
        folder_.Write("settings.yaml",
                      "type: registry\nname: Settings\n-record:\n    bits: all\n"
                      "    key: HKEY_CURRENT_USER\\Software\\Velk Test\n    type: REG_DWORD\n"
                      "    name: Level\n    value: 2a\n");
    }

    int Run(std::vector<Host::Step> steps) {
        host_.steps = std::move(steps);
        Wizard wizard(host_, platform_, shutdown_, run_, report_);
        const int result = wizard.RunWelcome();
        exitCode_ = ExitCodeFor(wizard.end());
        return result;
    }

    test::TempDir folder_;
    RunContext run_;
    std::vector<std::string> log_;
    RunReport report_{nullptr, [this](std::string_view line) { log_.emplace_back(line); }, false};
    int exitCode_ = -1;
    FakePlatform fake_;
    Host host_;
    Platform platform_{
        fake_.registry, fake_.system, fake_.internet,     fake_.processes, fake_.com,
        host_,          fake_.zones,  fake_.certificates, fake_.files,     fake_.privateFiles};
    NoShutdown shutdown_;
};

TEST_F(WizardTest, AWalkThroughEveryPageWritesWhatTheSiteNeeds) {
    EXPECT_EQ(
        Run({Host::Click("ButtonOK"),                                                 // welcome
             Host::AwaitCommand("<table"), Host::Click("Site_chbox", "INPUT", true),  // providers
             Host::Click("ButtonOK"),
             Host::Click("ButtonOK"),  // overview
             Host::Click("ButtonOK"),  // packets: nothing to choose, the record is due
             Host::AwaitCommand("Установка успешно"), Host::Click("ButtonOK"),
             Host::Click("ButtonCancel")}),  // final page
        kPageNext);
    EXPECT_EQ(host_.shown, (std::vector<int>{103, 154, 104, 138, 114, 104}));
    const RegKey key =
        RegKey::Open(fake_.registry, kHkeyCurrentUser, "Software\\Velk Test", kKeyRead);
    ASSERT_TRUE(key);
    std::string data;
    std::uint32_t type = 0;
    ASSERT_EQ(key.Query("Level", 4, &type, &data), kErrorSuccess);
    EXPECT_EQ(type, kRegDword);
    EXPECT_EQ(data, std::string("\x2a\0\0\0", 4));
    EXPECT_TRUE(host_.steps.empty());
    EXPECT_EQ(exitCode_, kExitDone);
    // The log tells the sites, the states before and after, and what was written.
    const auto logged = [this](const std::string& text) {
        return std::find(log_.begin(), log_.end(), text) != log_.end();
    };
    EXPECT_TRUE(logged("Выбран сайт: Site"));
    EXPECT_TRUE(logged("Site | Settings | не установлено"));
    EXPECT_TRUE(logged("Записано в реестр: HKEY_CURRENT_USER\\Software\\Velk Test\\Level = 2a"));
    EXPECT_TRUE(logged("Site | Settings | установлено"));
}

TEST_F(WizardTest, BackAndAgainShowTheEarlierPageAnew) {
    host_.answers = {kIdYes};
    EXPECT_EQ(
        Run({Host::Click("ButtonOK"), Host::AwaitCommand("<table"), Host::Click("ButtonBack"),
             Host::Click("ButtonOK"), Host::AwaitCommand("<table"), Host::Click("ButtonCancel")}),
        kPageExit);
    EXPECT_EQ(host_.shown, (std::vector<int>{103, 154, 103, 154}));
    EXPECT_EQ(exitCode_, kExitCancelled);
}

TEST_F(WizardTest, EverythingInstalledGoesStraightToTheFinalPage) {
    {
        const RegKey key =
            RegKey::Create(fake_.registry, kHkeyCurrentUser, "Software\\Velk Test", kKeyAllAccess);
        ASSERT_EQ(key.Set("Level", kRegDword, std::string("\x2a\0\0\0", 4)), kErrorSuccess);
    }
    EXPECT_EQ(Run({Host::Click("ButtonOK"), Host::AwaitCommand("<table"),
                   Host::Click("Site_chbox", "INPUT", true), Host::Click("ButtonOK"),
                   Host::Click("ButtonCancel")}),
              kPageNext);
    EXPECT_EQ(host_.shown, (std::vector<int>{103, 154, 104}));
    EXPECT_EQ(exitCode_, kExitDone);
}

TEST_F(WizardTest, AComponentThatCannotBeLoadedEndsTheWizardWithAnErrorBox) {
    folder_.Write("settings.yaml", "type: registry\nname: \"open\n");
    EXPECT_EQ(Run({Host::Click("ButtonOK"), Host::AwaitCommand("<table"),
                   Host::Click("Site_chbox", "INPUT", true), Host::Click("ButtonOK")}),
              kPageExit);
    ASSERT_EQ(host_.boxes.size(), 1u);
    EXPECT_EQ(Cp1251ToUtf8(host_.boxes[0].text), "Неверный формат файла");
    EXPECT_EQ(Cp1251ToUtf8(host_.boxes[0].caption), "Ошибка");
    EXPECT_EQ(host_.boxes[0].icon, kMbIconError);
    EXPECT_EQ(host_.shown, (std::vector<int>{103, 154}));
    EXPECT_EQ(exitCode_, kExitConfigurationUnreadable);
}

TEST(CommandLine, SwitchesAreExactAndStartWithASlashOrDash) {
    const struct {
        std::vector<std::string> arguments;
        bool local;
        std::string url;
        bool webPrint;
    } cases[] = {
        {{"/local"}, true, "", false},
        {{"-local"}, true, "", false},
        {{"local"}, false, "", false},
        {{"/LOCAL"}, false, "", false},
        {{"/locals", "/web-print"}, false, "", true},
        {{"/config-url=http://127.0.0.1:8080/a.zip", "-local"},
         true,
         "http://127.0.0.1:8080/a.zip",
         false},
        {{"", "/", "-"}, false, "", false},
    };
    for (const auto& c : cases) {
        const CommandLine line = ParseCommandLine(c.arguments);
        EXPECT_EQ(line.local, c.local) << c.arguments.front();
        EXPECT_EQ(line.configUrl, c.url) << c.arguments.front();
        EXPECT_EQ(line.webPrint, c.webPrint) << c.arguments.front();
    }
}

}  // namespace
}  // namespace velk
