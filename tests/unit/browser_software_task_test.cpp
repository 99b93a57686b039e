#include "tasks/browser_software_task.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <string>

#include "config/yaml_pairs.h"
#include "engine/install_plan.h"
#include "fakes/fake_platform.h"
#include "platform/codepage.h"
#include "platform/registry_key.h"
#include "support/recording_page.h"

namespace velk {
namespace {

constexpr char kBrowserKey[] = "SOFTWARE\\Microsoft\\Internet Explorer";

BrowserSoftwareTask Loaded(FakePlatform& fake, const std::string& packetKeys) {
    BrowserSoftwareTask task(fake.platform, fake.run);
    task.Load(
        ReadYamlPairsFromText("type: browser\n-package:\n    name: Обозреватель\n" + packetKeys));
    return task;
}

TEST(BrowserSoftwareTaskDetect, ComparesTheBrowserVersionWithThePacketsBounds) {
    struct Case {
        std::string keys;
        std::optional<std::string> version;  // nullopt: no browser key
        std::optional<std::string> svcVersion;
        TaskStatus status;
        std::string found;
    };
    const std::string min8 = "    minVersion: 8.0\n";
    const Case cases[] = {
        {min8, "8.0.7601.17514", std::nullopt, TaskStatus::Installed, "8.0.7601.17514"},
        {min8, "9.11.9600.19036", "11.0.9600.19036", TaskStatus::Installed, "11.0.9600.19036"},
        {min8, "7.0.6000", std::nullopt, TaskStatus::InstalledOtherVersion, "7.0.6000"},
        {min8 + "    maxVersion: 11.0\n", "9.11.9600", "11.0.9600",
         TaskStatus::InstalledOtherVersion, "11.0.9600"},
        {min8 + "    maxVersion: 12\n", "9.11.9600", "11.0.9600", TaskStatus::Installed,
         "11.0.9600"},
        {"    maxVersion: 9.0\n", "8.0", std::nullopt, TaskStatus::Installed, "8.0"},
        {min8, std::nullopt, std::nullopt, TaskStatus::InstalledOtherVersion, ""},
        {"", std::nullopt, std::nullopt, TaskStatus::Installed, ""},
        // Bits and editions are no concern of the browser's task.
        {min8 + "    bits: x32\n    windows: Windows 10\n", "8.0", std::nullopt,
         TaskStatus::Installed, "8.0"},
    };
    for (const auto& c : cases) {
        FakePlatform fake;
        if (c.version) {
            const RegKey key =
                RegKey::Create(fake.registry, kHkeyLocalMachine, kBrowserKey, kKeyAllAccess);
            key.Set("Version", kRegSz, *c.version + '\0');
            if (c.svcVersion) key.Set("svcVersion", kRegSz, *c.svcVersion + '\0');
        }
        BrowserSoftwareTask task = Loaded(fake, c.keys);
        task.Detect();
        const std::string what = c.keys + " " + c.version.value_or("(no browser)");
        EXPECT_EQ(task.status, c.status) << what;
        EXPECT_EQ(task.detectedVersion, c.found) << what;
        EXPECT_EQ(Cp1251ToUtf8(task.statusDetail), "Обозреватель " + c.found) << what;
        EXPECT_EQ(task.packets[0]->installedText, task.statusDetail) << what;
        EXPECT_EQ(task.packets[0]->status, TaskStatus::NotInstalled) << what;
    }
}

TEST(BrowserSoftwareTaskDetect, OnlyASinglePacketIsJudged) {
    FakePlatform fake;
    RegKey::Create(fake.registry, kHkeyLocalMachine, kBrowserKey, kKeyAllAccess)
        .Set("Version", kRegSz, std::string("11.0\0", 5));
    BrowserSoftwareTask task = Loaded(fake, "    minVersion: 8.0\n-package:\n    name: Второй\n");
    task.Detect();
    EXPECT_EQ(task.status, TaskStatus::NotInstalled);
    EXPECT_EQ(Cp1251ToUtf8(task.StatusText()), "не установлено");
    EXPECT_EQ(task.detectedVersion, "");

    BrowserSoftwareTask none(fake.platform, fake.run);
    none.status = TaskStatus::InstalledOtherVersion;
    none.Detect();
    EXPECT_EQ(none.status, TaskStatus::InstalledOtherVersion) << "the status stays as it was";
}

TEST(BrowserSoftwareTaskExecute, NeverInstallsTheBrowser) {
    FakePlatform fake;
    BrowserSoftwareTask task = Loaded(fake,
                                      "    SrcUrl: http://127.0.0.1/ie.exe\n"
                                      "    CommandLine: ie.exe\n    bits: all\n");
    task.packets[0]->ToInstall = true;
    test::RecordingPage page;
    const std::atomic<bool> cancel{false};
    task.Execute({}, page, cancel);
    EXPECT_TRUE(page.entries.empty());
    EXPECT_TRUE(fake.processes.commandLines.empty());
    EXPECT_EQ(task.status, TaskStatus::NotInstalled);
}

}  // namespace
}  // namespace velk
