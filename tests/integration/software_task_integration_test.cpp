// The software task over the real registry of both views, WinInet, the file
// system and msiexec.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "config/yaml_pairs.h"
#include "engine/install_plan.h"
#include "fakes/fake_platform.h"
#include "platform/codepage.h"
#include "platform/digest.h"
#include "platform/registry_key.h"
#include "platform/system_errors.h"
#include "platform/win32/win32_internet.h"
#include "platform/win32/win32_private_files.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system_info.h"
#include "support/recording_page.h"
#include "support/test_server.h"
#include "support/test_support.h"
#include "support/win32_cleanup.h"
#include "tasks/software_task.h"

namespace velk {
namespace {

namespace fs = std::filesystem;

constexpr char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// What tests/data/msi/software_test.wxs installs.
constexpr char kMsiProduct[] = "{6D1B9E5A-2C4F-4B7E-9A31-5E8C0F2D7A41}";
constexpr char kMsiName[] = "velk software task test";
constexpr char kMsiMarkerKey[] = "Software\\velk-software-task-test";

std::string Stamp() {
    return std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
}

class SoftwareTaskIntegrationTest : public ::testing::Test {
  protected:
    ~SoftwareTaskIntegrationTest() override {
        for (const auto& key : written_) test::RemoveRegistryTree(kHkeyLocalMachine, key);
    }

    bool Is64BitSystem() const { return test::WineArch() == "win64"; }

    // Lists a program under a key of this test's own.
    void List(std::uint32_t view, const std::string& key, const std::string& displayName,
              const std::string& displayVersion) {
        const std::string path = std::string(kUninstall) + "\\" + key;
        written_.push_back(path);
        const RegKey entry =
            RegKey::Create(registry_, kHkeyLocalMachine, path, kKeyAllAccess | view);
        ASSERT_TRUE(entry) << key;
        ASSERT_EQ(entry.Set("DisplayName", kRegSz, displayName + '\0'), kErrorSuccess);
        ASSERT_EQ(entry.Set("DisplayVersion", kRegSz, displayVersion + '\0'), kErrorSuccess);
    }

    SoftwareTask Loaded(const std::string& yaml) {
        SoftwareTask task(platform_, fake_.run);
        task.Load(ReadYamlPairsFromText(yaml));
        return task;
    }

    Win32Registry registry_;
    Win32SystemInfo system_;
    Win32Internet internet_;
    Win32Processes processes_;
    Win32PrivateFiles privateFiles_;
    // The seams the software task does not use.
    FakePlatform fake_;
    Platform platform_{registry_, system_,     internet_,          processes_,  fake_.com,
                       fake_.ui,  fake_.zones, fake_.certificates, fake_.files, privateFiles_};
    std::vector<std::string> written_;  // below HKEY_LOCAL_MACHINE
};

TEST_F(SoftwareTaskIntegrationTest, ReadsTheListOfBothViewsAndTheThirtyTwoBitOneLast) {
    const std::string stamp = Stamp();
    const std::string prefix = "velk test " + stamp + " ";
    std::string yaml = "choose_type: and\n";
    for (const char* letter : {"A", "B", "C", "D", "E"}) {
        yaml += "-package:\n    name: " + prefix + letter +
                "\n    bits: all\n    windows: all\n    minVersion: 2.0\n";
    }
    // Written 64-bit first: on a 32-bit system both writes go to one key and
    // the second one stays, as the 32-bit view's word does on a 64-bit one.
    List(kKeyWow64_32Key, "velk-" + stamp + "-a", prefix + "A", "2.1");
    List(kKeyWow64_64Key, "velk-" + stamp + "-b", prefix + "B", "1.0");
    List(kKeyWow64_32Key, "velk-" + stamp + "-b", prefix + "B", "3.0");
    List(kKeyWow64_64Key, "velk-" + stamp + "-c", prefix + "C", "3.0");
    List(kKeyWow64_32Key, "velk-" + stamp + "-c", prefix + "C", "1.0");
    List(kKeyWow64_64Key, "velk-" + stamp + "-d", prefix + "D", "4.0");
    List(kKeyWow64_32Key, "velk-" + stamp + "-e", prefix + "E ", "4.0");
    if (Is64BitSystem()) {
        // The views really are apart here.
        EXPECT_FALSE(RegKey::Open(registry_, kHkeyLocalMachine,
                                  std::string(kUninstall) + "\\velk-" + stamp + "-a",
                                  kKeyRead | kKeyWow64_64Key));
    }

    SoftwareTask task = Loaded(yaml);
    task.Detect();
    struct Expected {
        TaskStatus status;
        std::string installedText;
    };
    const Expected expected[] = {
        {TaskStatus::Installed, prefix + "A 2.1"},
        {TaskStatus::Installed, prefix + "B 3.0"},
        {TaskStatus::InstalledOtherVersion, prefix + "C 1.0"},
        {TaskStatus::Installed, prefix + "D 4.0"},
        {TaskStatus::NotInstalled, ""},  // listed with a trailing blank
    };
    ASSERT_EQ(task.packets.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(task.packets[i]->status, expected[i].status) << task.packets[i]->name;
        EXPECT_EQ(task.packets[i]->installedText, expected[i].installedText);
    }
    EXPECT_EQ(task.status, TaskStatus::InstalledOtherVersion);
}

TEST_F(SoftwareTaskIntegrationTest, ChecksRegistryValuesWhereThisProgramWritesThem) {
    const std::string stamp = Stamp();
    const std::string ownView = "SOFTWARE\\velk-check-" + stamp + "-own";
    const std::string otherView = "SOFTWARE\\velk-check-" + stamp + "-64";
    const std::string user = "Software\\velk-check-" + stamp;
    written_ = {ownView, otherView};
    ASSERT_EQ(RegKey::Create(registry_, kHkeyLocalMachine, ownView, kKeyAllAccess)
                  .Set("Version", kRegSz, std::string("2.1\0", 4)),
              kErrorSuccess);
    ASSERT_EQ(
        RegKey::Create(registry_, kHkeyLocalMachine, otherView, kKeyAllAccess | kKeyWow64_64Key)
            .Set("Version", kRegSz, std::string("2.1\0", 4)),
        kErrorSuccess);
    ASSERT_EQ(RegKey::Create(registry_, kHkeyCurrentUser, user, kKeyAllAccess)
                  .Set("Installed", kRegDword, std::string("\x01\0\0\0", 4)),
              kErrorSuccess);

    std::string yaml;
    const std::pair<std::string, std::string> checks[] = {
        {"HKEY_LOCAL_MACHINE\\" + ownView, "Version"},
        {"HKEY_LOCAL_MACHINE\\" + otherView, "Version"},
        {"HKEY_CURRENT_USER\\" + user, "Installed"},
        {"HKEY_CURRENT_USER\\" + user, "Missing"},
    };
    for (const auto& [key, value] : checks) {
        yaml += "-package:\n    name: n\n    title: " + value +
                "\n    bits: all\n"
                "    CheckRegKey: " +
                key + "\n    CheckRegParam: " + value + "\n";
    }
    SoftwareTask task = Loaded(yaml);
    task.Detect();
    test::RemoveRegistryTree(kHkeyCurrentUser, user);
    const TaskStatus otherViewStatus =
        Is64BitSystem() ? TaskStatus::NotInstalled : TaskStatus::Installed;
    const TaskStatus expected[] = {TaskStatus::Installed, otherViewStatus, TaskStatus::Installed,
                                   TaskStatus::NotInstalled};
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(task.packets[i]->status, expected[i]) << checks[i].first;
    }
    EXPECT_EQ(task.packets[0]->installedText, "Version");
}

// Installs the test MSI with msiexec and removes it again afterwards.
class SoftwareTaskInstallTest : public SoftwareTaskIntegrationTest {
  protected:
    SoftwareTaskInstallTest() {
        Uninstall();
        // Removed first: the mingw library's overwriting copy fails under
        // Wine when the file exists.
        const fs::path served = fs::path(test::TestServerFilesDir()) / "software_test.msi";
        fs::remove(served);
        fs::copy_file(VELK_TEST_MSI, served);
    }
    ~SoftwareTaskInstallTest() override {
        Uninstall();
        if (!downloaded_.empty()) fs::remove(downloaded_);
    }

    void Uninstall() { processes_.Run(std::string("msiexec /x ") + kMsiProduct + " /qn"); }

    // A component offering the test MSI from the test server, pinned when a
    // hash is given.
    static std::string MsiComponent(const std::string& sha256 = "") {
        std::string yaml = std::string("type: software\nname: test\n-package:\n    name: ") +
                           kMsiName +
                           "\n    version: 2.5.1\n    minVersion: 2.5\n    bits: all\n"
                           "    windows: all\n    SrcUrl: " +
                           test::TestServerUrl("/files/software_test.msi") +
                           "\n    CommandLine: msiexec /i FILENAME /qn\n";
        if (!sha256.empty()) yaml += "    Sha256: " + sha256 + "\n";
        return yaml;
    }

    std::string downloaded_;
};

TEST_F(SoftwareTaskInstallTest, ExecuteDownloadsAndInstallsWhatDetectThenFinds) {
    const std::string yaml = MsiComponent();
    SoftwareTask task = Loaded(yaml);
    task.Detect();
    ASSERT_EQ(task.status, TaskStatus::NotInstalled) << "left over from an earlier run?";

    test::RecordingPage page;
    const std::atomic<bool> cancel{false};
    task.Execute({}, page, cancel);
    downloaded_ = task.packets[0]->DstUrl;
    EXPECT_EQ(task.status, TaskStatus::Installed);
    std::vector<test::Step> steps;
    for (const auto& entry : page.Steps()) steps.push_back(entry.message);
    EXPECT_EQ(steps, (std::vector<test::Step>{test::Step::DownloadBegins, test::Step::InstallBegins,
                                              test::Step::TaskFinished}));
    EXPECT_TRUE(fs::exists(downloaded_)) << downloaded_;
    EXPECT_TRUE(RegKey::Open(registry_, kHkeyLocalMachine, kMsiMarkerKey, kKeyRead))
        << "the installer ran";

    SoftwareTask fresh = Loaded(yaml);
    fresh.Detect();
    EXPECT_EQ(fresh.status, TaskStatus::Installed);
    EXPECT_EQ(fresh.packets[0]->installedText, std::string(kMsiName) + " 2.5.1");
}

TEST_F(SoftwareTaskInstallTest, APinnedInstallerWithAnotherHashIsRemovedAndNeverRun) {
    const std::string wrong(64, 'a');
    SoftwareTask task = Loaded(MsiComponent(wrong));
    task.Detect();
    test::RecordingPage page;
    const std::atomic<bool> cancel{false};
    std::string error;
    try {
        task.Execute({}, page, cancel);
    } catch (const std::runtime_error& failure) {
        error = Cp1251ToUtf8(failure.what());
    }
    downloaded_ = task.packets[0]->DstUrl;
    const std::string actual = DigestHex(DigestKind::Sha256, test::ReadFile(VELK_TEST_MSI));
    EXPECT_EQ(error,
              "Загруженный файл не совпадает с указанным в конфигурации и удалён: ожидался "
              "SHA-256 " +
                  wrong + ", получен " + actual);
    EXPECT_FALSE(fs::exists(downloaded_)) << downloaded_;
    EXPECT_FALSE(RegKey::Open(registry_, kHkeyLocalMachine, kMsiMarkerKey, kKeyRead))
        << "the installer never ran";
    downloaded_.clear();
}

}  // namespace
}  // namespace velk
