#include "tasks/software_task.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "config/uninstall_list.h"
#include "config/yaml_pairs.h"
#include "engine/download.h"
#include "engine/install_plan.h"
#include "fakes/fake_platform.h"
#include "platform/codepage.h"
#include "platform/registry_key.h"
#include "platform/system_errors.h"
#include "support/recording_page.h"
#include "support/test_support.h"
#include "tasks/task_set.h"

namespace velk {
namespace {

using test::ReadFile;

constexpr char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The edition the fake system reports.
void SetEdition(FakeSystemInfo& system, std::uint32_t major, std::uint32_t minor) {
    system.version.major = major;
    system.version.minor = minor;
    system.version.productType = kVerNtWorkstation;
}

// A component file written in UTF-8, read as the factory reads it.
SoftwareTask Loaded(FakePlatform& fake, std::string_view yaml) {
    SoftwareTask task(fake.platform, fake.run);
    task.Load(ReadYamlPairsFromText(yaml));
    return task;
}

// One packet for every machine, named `name`, with further keys in YAML.
std::string PacketYaml(std::string_view name, std::string_view keys = "") {
    std::string yaml = "-package:\n    name: " + std::string(name) + "\n    bits: all\n";
    yaml += keys;
    return yaml;
}

// An entry of the list of installed programs; texts are UTF-8.
struct Listing {
    std::string key;
    std::optional<std::string> displayName;
    std::optional<std::string> displayVersion;
    std::uint32_t nameType = kRegSz;
};

std::string SzData(std::string_view utf8) { return Utf8ToCp1251(utf8) + '\0'; }

void List(Registry& registry, std::uint32_t view, const Listing& listing) {
    const RegKey entry =
        RegKey::Create(registry, kHkeyLocalMachine, std::string(kUninstall) + "\\" + listing.key,
                       kKeyAllAccess | view);
    ASSERT_TRUE(entry) << listing.key;
    if (listing.displayName)
        entry.Set("DisplayName", listing.nameType, SzData(*listing.displayName));
    if (listing.displayVersion)
        entry.Set("DisplayVersion", kRegSz, SzData(*listing.displayVersion));
}

// Both views of the list become unreadable.
void HideUninstallList(FakeRegistry& registry) {
    registry.FailBelow(kHkeyLocalMachine, kUninstall, kErrorAccessDenied);
    registry.FailBelow(kHkeyLocalMachine,
                       "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                       kErrorAccessDenied);
}

std::vector<std::string> Names(const PacketList& packets) {
    std::vector<std::string> names;
    for (const auto& packet : packets) names.push_back(Cp1251ToUtf8(packet->name));
    return names;
}

std::string Utf8(const std::string& cp1251) { return Cp1251ToUtf8(cp1251); }

// ---------------------------------------------------------------- Load

TEST(SoftwareTaskLoad, ReadsEveryKeyOfAPacketAndLeavesOthersToTheFactory) {
    FakePlatform fake;
    const SoftwareTask task = Loaded(fake, R"(type: software
name: Криптопровайдер
choose_type: or
-package:
    name: Криптопровайдер CSP
    title: Криптопровайдер CSP 4.0
    version: 4.0.9944
    minVersion: 4.0
    maxVersion: 5.0
    versionFilter: "45"
    bits: x64
    windows: Windows 10,Windows 8.1
    SrcUrl: http://127.0.0.1/csp.msi
    DstUrl: C:\setup\csp.msi
    CommandLine: msiexec /i FILENAME /qn
    CheckRegKey: HKEY_LOCAL_MACHINE\SOFTWARE\Csp
    CheckRegParam: Version
    alias: Crypto Provider CSP
    alias: CSP
    ToInstall: no
    radioGroup: never read from the file
    status: 3
    title: Криптопровайдер CSP 4.0 R2
-record:
    name: belongs to another kind
-package:
    name: Второй
)");
    EXPECT_EQ(task.choose_type, "or");
    EXPECT_EQ(task.name, "") << "the factory sets the task's name";
    ASSERT_EQ(task.packets.size(), 2u);
    const Packet& first = *task.packets[0];
    EXPECT_EQ(Utf8(first.name), "Криптопровайдер CSP");
    EXPECT_EQ(Utf8(first.title), "Криптопровайдер CSP 4.0 R2") << "a repeated key: the last wins";
    EXPECT_EQ(first.version, "4.0.9944");
    EXPECT_EQ(first.minVersion, "4.0");
    EXPECT_EQ(first.maxVersion, "5.0");
    EXPECT_EQ(first.versionFilter, "45");
    EXPECT_EQ(first.bits, "x64");
    EXPECT_EQ(first.windows, (std::vector<std::string>{"Windows 10", "Windows 8.1"}));
    EXPECT_EQ(first.SrcUrl, "http://127.0.0.1/csp.msi");
    EXPECT_EQ(first.DstUrl, "C:\\setup\\csp.msi");
    EXPECT_EQ(first.CommandLine, "msiexec /i FILENAME /qn");
    EXPECT_EQ(first.CheckRegKey, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Csp");
    EXPECT_EQ(first.CheckRegParam, "Version");
    EXPECT_EQ(first.alias, (std::vector<std::string>{"Crypto Provider CSP", "CSP"}));
    EXPECT_TRUE(first.ToInstall) << "whatever the value";
    EXPECT_EQ(first.status, TaskStatus::NotInstalled);
    const Packet& second = *task.packets[1];
    EXPECT_EQ(Utf8(second.name), "Второй");
    EXPECT_FALSE(second.ToInstall);
    EXPECT_EQ(task.status, TaskStatus::NotInstalled);
}

TEST(SoftwareTaskLoad, SplitsWindowsAtEveryCommaVerbatim) {
    struct Case {
        std::string value;
        std::vector<std::string> items;
    };
    const Case cases[] = {
        {"Windows 7,Windows 8.1", {"Windows 7", "Windows 8.1"}},
        {"Windows 7, Windows 8.1", {"Windows 7", " Windows 8.1"}},
        {"", {}},
        {"all,", {"all"}},
        {",Windows 7", {"", "Windows 7"}},
        {"a,,b", {"a", "", "b"}},
        {"Windows 10", {"Windows 10"}},
    };
    for (const auto& c : cases) {
        FakePlatform fake;
        SoftwareTask task(fake.platform, fake.run);
        task.Load(
            {{"package:name", "A"}, {"package:windows", "old"}, {"package:windows", c.value}});
        ASSERT_EQ(task.packets.size(), 1u);
        EXPECT_EQ(task.packets[0]->windows, c.items) << '"' << c.value << '"';
    }
}

TEST(SoftwareTaskLoad, PutsTheWindowsDirectoryInPlaceOfTheFirstWin64) {
    struct Case {
        std::string dstUrl;
        std::string windowsDirectory;  // empty: the query fails
        std::string expected;
    };
    const Case cases[] = {
        {"WIN64\\Temp\\setup.msi", "C:\\windows", "C:\\windows\\Temp\\setup.msi"},
        {"WIN64\\x\\WIN64.msi", "D:\\WINNT", "D:\\WINNT\\x\\WIN64.msi"},
        {"C:\\Temp\\WIN64", "C:\\windows", "C:\\Temp\\C:\\windows"},
        {"C:\\Temp\\setup.msi", "C:\\windows", "C:\\Temp\\setup.msi"},
        {"win64\\setup.msi", "C:\\windows", "win64\\setup.msi"},
        {"WIN64\\setup.msi", "", "WIN64\\setup.msi"},
        {"WIN64\\setup.msi", std::string(1100, 'W'), "WIN64\\setup.msi"},
    };
    for (const auto& c : cases) {
        FakePlatform fake;
        fake.system.windowsDirectory = c.windowsDirectory;
        SoftwareTask task(fake.platform, fake.run);
        task.Load({{"package:name", "A"}, {"package:DstUrl", c.dstUrl}});
        EXPECT_EQ(task.packets.at(0)->DstUrl, c.expected) << c.dstUrl;
    }
}

TEST(SoftwareTaskLoad, KeysOutsideAPacketsNameGoNowhereOrToThePacketBefore) {
    FakePlatform fake;
    const SoftwareTask task = Loaded(fake, R"(-package:
    bits: x64
    title: before any packet
-package:
    name: A
-package:
    title: written before its name
    name: B
    version: 2.0
)");
    ASSERT_EQ(Names(task.packets), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(task.packets[0]->bits, "");
    EXPECT_EQ(task.packets[0]->title, "written before its name");
    EXPECT_EQ(task.packets[1]->title, "");
    EXPECT_EQ(task.packets[1]->version, "2.0");
}

TEST(SoftwareTaskLoad, AnAliasBlockSequenceEndsThePacketsKeys) {
    FakePlatform fake;
    const SoftwareTask task = Loaded(fake, R"(-package:
    name: Block
    alias:
        - One
        - Two
    bits: x64
    SrcUrl: http://127.0.0.1/lost.msi
-package:
    name: Flow
    alias: [X, Y]
    bits: x32
    alias: Z
-package:
    name: Last
    bits: all
    alias:
        - Only
-package:
    name: After
    bits: x64
)");
    ASSERT_EQ(Names(task.packets), (std::vector<std::string>{"Block", "Flow", "Last", "After"}));
    const Packet& block = *task.packets[0];
    EXPECT_EQ(block.alias, (std::vector<std::string>{"One", "Two"}));
    EXPECT_EQ(block.bits, "") << "keys after the sequence lose their packet";
    EXPECT_EQ(block.SrcUrl, "");
    const Packet& flow = *task.packets[1];
    EXPECT_EQ(flow.alias, (std::vector<std::string>{"X", "Y", "Z"}));
    EXPECT_EQ(flow.bits, "x32");
    EXPECT_EQ(task.packets[2]->alias, (std::vector<std::string>{"Only"}));
    EXPECT_EQ(task.packets[2]->bits, "all");
    EXPECT_EQ(task.packets[3]->bits, "x64");
}

// ---------------------------------------------------------------- ApplicablePackets

TEST(SoftwareTaskApplicablePackets, KeepsFileOrderFilteringBitsThenEditions) {
    FakePlatform unused;
    const std::string yaml = R"(-package:
    name: no bits
    windows: all
-package:
    name: all bits
    bits: all
-package:
    name: x64 only
    bits: x64
-package:
    name: x32 only
    bits: x32
-package:
    name: capital X64
    bits: X64
-package:
    name: 7 and 8.1
    bits: all
    windows: Windows 7,Windows 8.1
-package:
    name: 7 and blank 8.1
    bits: all
    windows: Windows 7, Windows 8.1
-package:
    name: all first
    bits: all
    windows: all,Windows 10
-package:
    name: all later
    bits: all
    windows: Windows 10,all
-package:
    name: empty list
    bits: all
    windows:
-package:
    name: 10 x64
    bits: x64
    windows: Windows 10
)";
    struct Case {
        bool x64;
        std::uint32_t major;
        std::uint32_t minor;
        std::vector<std::string> applicable;
    };
    const Case cases[] = {
        {true,
         6,
         1,
         {"all bits", "x64 only", "7 and 8.1", "7 and blank 8.1", "all first", "empty list"}},
        {false, 6, 3, {"all bits", "x32 only", "7 and 8.1", "all first", "empty list"}},
        {true, 10, 0, {"all bits", "x64 only", "all first", "all later", "empty list", "10 x64"}},
        // An edition the wizard does not know fits only the lists open to all.
        {false, 5, 3, {"all bits", "x32 only", "all first", "empty list"}},
    };
    for (const auto& c : cases) {
        FakePlatform fake(c.x64);
        SetEdition(fake.system, c.major, c.minor);
        const SoftwareTask task = Loaded(fake, yaml);
        const PacketList applicable = task.ApplicablePackets();
        EXPECT_EQ(Names(applicable), c.applicable) << c.major << "." << c.minor << " x64 " << c.x64;
        for (const auto& packet : applicable) {
            const auto& all = task.packets;
            EXPECT_NE(std::find(all.begin(), all.end(), packet), all.end())
                << "the pages must see the task's own packets";
        }
    }
}

TEST(SoftwareTaskApplicablePackets, UnknownBitnessIsTheUsersError) {
    FakePlatform fake;
    fake.system.wow64Fails = true;
    SoftwareTask task = Loaded(fake, PacketYaml("A"));
    test::RecordingPage page;
    const std::atomic<bool> cancel{false};
    const std::string expected = Utf8ToCp1251("Ошибка определения версии Windows");
    for (const auto& operation : std::vector<std::function<void()>>{
             [&] { task.ApplicablePackets(); }, [&] { task.Detect(); },
             [&] { task.Execute({}, page, cancel); }}) {
        try {
            operation();
            ADD_FAILURE() << "no error";
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(error.what(), expected);
        }
    }
    EXPECT_TRUE(page.entries.empty());
}

// ---------------------------------------------------------------- Detect

// Detects a task of one packet "Crypto" against one listing of it.
struct VersionCase {
    std::string keys;  // further keys of the packet, YAML
    std::optional<std::string> displayVersion;
    TaskStatus status;
    std::string installedText;
};

TEST(SoftwareTaskDetect, JudgesTheListedVersionByTheBounds) {
    const VersionCase cases[] = {
        {"", "1.0", TaskStatus::Installed, "Crypto 1.0"},
        {"", std::nullopt, TaskStatus::Installed, "Crypto "},
        {"", std::string(300, '1'), TaskStatus::Installed, "Crypto "},  // too long to read
        {"    minVersion: 3.6\n", "3.6.7777", TaskStatus::Installed, "Crypto 3.6.7777"},
        {"    minVersion: 3.6\n", "3.5.9", TaskStatus::InstalledOtherVersion, "Crypto 3.5.9"},
        {"    minVersion: 3.6\n", "3.6", TaskStatus::Installed, "Crypto 3.6"},
        {"    minVersion: 3.9\n", "3.10", TaskStatus::Installed, "Crypto 3.10"},
        {"    minVersion: 4.0\n", "4.0 beta", TaskStatus::Installed, "Crypto 4.0 beta"},
        {"    minVersion: 1.0\n", "unknown", TaskStatus::InstalledOtherVersion, "Crypto unknown"},
        {"", "unknown", TaskStatus::Installed, "Crypto unknown"},
        // The upper bound is exclusive, and only a packet with a version has one.
        {"    maxVersion: 4.0\n    version: 3.9\n", "4.0", TaskStatus::InstalledOtherVersion,
         "Crypto 4.0"},
        {"    maxVersion: 4.0\n", "4.0", TaskStatus::Installed, "Crypto 4.0"},
        {"    maxVersion: 4.0\n    version: 3.9\n", "3.9.1", TaskStatus::Installed, "Crypto 3.9.1"},
        {"    maxVersion: 4.0\n    version: 3.9\n", "-1.0", TaskStatus::InstalledOtherVersion,
         "Crypto -1.0"},
        {"    minVersion: 3.0\n    maxVersion: 4.0\n    version: 3.9\n", "2.9",
         TaskStatus::InstalledOtherVersion, "Crypto 2.9"},
        {"    minVersion: 3.0\n    maxVersion: 4.0\n    version: 3.9\n", "3.0.0.0",
         TaskStatus::Installed, "Crypto 3.0.0.0"},
        // Only versions that begin with a listed character count.
        {"    versionFilter: \"34\"\n", "3.9.8423", TaskStatus::Installed, "Crypto 3.9.8423"},
        {"    versionFilter: \"34\"\n", "4.0.9944", TaskStatus::Installed, "Crypto 4.0.9944"},
        {"    versionFilter: \"34\"\n", "5.0", TaskStatus::NotInstalled, "Crypto 5.0"},
        {"    versionFilter: \"34\"\n", "", TaskStatus::NotInstalled, "Crypto "},
        {"    versionFilter: \"34\"\n", std::nullopt, TaskStatus::Installed, "Crypto "},
        {"    versionFilter: \"34\"\n    minVersion: 4.0\n", "3.9",
         TaskStatus::InstalledOtherVersion, "Crypto 3.9"},
    };
    for (const auto& c : cases) {
        FakePlatform fake;
        SoftwareTask task = Loaded(fake, PacketYaml("Crypto", c.keys));
        List(fake.registry, kKeyWow64_32Key, {"{CRYPTO}", "Crypto", c.displayVersion});
        task.Detect();
        const Packet& packet = *task.packets.at(0);
        const std::string what = c.keys + " listed " + c.displayVersion.value_or("(none)");
        EXPECT_EQ(packet.status, c.status) << what;
        EXPECT_EQ(packet.installedText, c.installedText) << what;
    }
}

TEST(SoftwareTaskDetect, MatchesTheWholeDisplayNameThenTheAliases) {
    struct Case {
        Listing listing;
        TaskStatus status;
        std::string installedText;  // UTF-8
    };
    const std::string keys = "    alias: Crypto Provider CSP\n    alias: Криптопровайдер CSP\n";
    const Case cases[] = {
        {{"a", "Криптопровайдер CSP", "4.0"}, TaskStatus::Installed, "Криптопровайдер CSP 4.0"},
        {{"a", "Криптопровайдер CSP ", "4.0"}, TaskStatus::NotInstalled, ""},
        {{"a", "криптопровайдер CSP", "4.0"}, TaskStatus::NotInstalled, ""},
        {{"a", "Криптопровайдер", "4.0"}, TaskStatus::NotInstalled, ""},
        {{"a", "Crypto Provider CSP", "4.1"}, TaskStatus::Installed, "Crypto Provider CSP 4.1"},
        {{"a", "Crypto Provider CSP", "4.1", kRegExpandSz}, TaskStatus::NotInstalled, ""},
        {{"a", std::nullopt, "4.1"}, TaskStatus::NotInstalled, ""},
        {{"a", std::string(300, 'C'), "4.1"}, TaskStatus::NotInstalled, ""},
    };
    for (const auto& c : cases) {
        FakePlatform fake;
        SoftwareTask task = Loaded(fake, PacketYaml("Криптопровайдер CSP", keys));
        List(fake.registry, kKeyWow64_32Key, c.listing);
        task.Detect();
        const Packet& packet = *task.packets.at(0);
        const std::string what = c.listing.displayName.value_or("(no name)");
        EXPECT_EQ(packet.status, c.status) << what;
        EXPECT_EQ(Utf8(packet.installedText), c.installedText) << what;
    }
}

TEST(SoftwareTaskDetect, TheLastListingDecidesAndTheThirtyTwoBitViewComesLast) {
    struct Case {
        const char* what;
        bool x64;
        std::vector<std::pair<std::uint32_t, Listing>> listings;
        TaskStatus status;
        std::string installedText;
    };
    const Case cases[] = {
        {"only in the 64-bit view",
         true,
         {{kKeyWow64_64Key, {"a", "Crypto", "4.5"}}},
         TaskStatus::Installed,
         "Crypto 4.5"},
        {"only in the 32-bit view",
         true,
         {{kKeyWow64_32Key, {"a", "Crypto", "3.0"}}},
         TaskStatus::InstalledOtherVersion,
         "Crypto 3.0"},
        {"32-bit view overrides",
         true,
         {{kKeyWow64_32Key, {"a", "Crypto", "3.0"}}, {kKeyWow64_64Key, {"a", "Crypto", "4.5"}}},
         TaskStatus::InstalledOtherVersion,
         "Crypto 3.0"},
        {"32-bit view overrides an older 64-bit one",
         true,
         {{kKeyWow64_64Key, {"a", "Crypto", "3.0"}}, {kKeyWow64_32Key, {"b", "Crypto", "4.5"}}},
         TaskStatus::Installed,
         "Crypto 4.5"},
        {"later key in one view",
         true,
         {{kKeyWow64_32Key, {"b", "Crypto", "3.0"}}, {kKeyWow64_32Key, {"a", "Crypto", "4.5"}}},
         TaskStatus::InstalledOtherVersion,
         "Crypto 3.0"},
        {"a later entry of something else changes nothing",
         true,
         {{kKeyWow64_32Key, {"a", "Crypto", "4.5"}}, {kKeyWow64_32Key, {"b", "Other", "1.0"}}},
         TaskStatus::Installed,
         "Crypto 4.5"},
        {"a later alias listing overrides the name's",
         true,
         {{kKeyWow64_32Key, {"a", "Crypto", "4.5"}}, {kKeyWow64_32Key, {"b", "Old Crypto", "3.0"}}},
         TaskStatus::InstalledOtherVersion,
         "Old Crypto 3.0"},
        {"a later name listing overrides the alias's",
         true,
         {{kKeyWow64_32Key, {"a", "Old Crypto", "3.0"}}, {kKeyWow64_32Key, {"b", "Crypto", "4.5"}}},
         TaskStatus::Installed,
         "Crypto 4.5"},
        {"one view on a 32-bit system",
         false,
         {{0, {"a", "Crypto", "4.5"}}},
         TaskStatus::Installed,
         "Crypto 4.5"},
    };
    for (const auto& c : cases) {
        FakePlatform fake(c.x64);
        SoftwareTask task =
            Loaded(fake, PacketYaml("Crypto", "    minVersion: 4.0\n    alias: Old Crypto\n"));
        for (const auto& [view, listing] : c.listings) List(fake.registry, view, listing);
        task.Detect();
        EXPECT_EQ(task.packets[0]->status, c.status) << c.what;
        EXPECT_EQ(task.packets[0]->installedText, c.installedText) << c.what;
        EXPECT_EQ(fake.registry.OpenHandleCount(), 0u) << c.what;
    }
}

TEST(SoftwareTaskDetect, OneListingMatchesEveryPacketOfThatName) {
    FakePlatform fake;
    SoftwareTask task =
        Loaded(fake, PacketYaml("Crypto", "    minVersion: 5.0\n") +
                         PacketYaml("Crypto", "    title: second\n") + PacketYaml("Other"));
    List(fake.registry, kKeyWow64_64Key, {"a", "Crypto", "4.5"});
    task.Detect();
    EXPECT_EQ(task.packets[0]->status, TaskStatus::InstalledOtherVersion);
    EXPECT_EQ(task.packets[1]->status, TaskStatus::Installed);
    EXPECT_EQ(task.packets[1]->installedText, "Crypto 4.5");
    EXPECT_EQ(task.packets[2]->status, TaskStatus::NotInstalled);
}

// The task's status from its packets' states, each packet Pn made so by its
// listing: none for NotInstalled, version 2.0 for Installed, 0.5 for another
// version (all packets need 1.0).
TEST(SoftwareTaskDetect, TaskStatusFromThePacketsForOrAndAnd) {
    using S = TaskStatus;
    struct Case {
        std::string chooseType;
        std::vector<S> packets;
        S status;
        std::string detail;
    };
    const Case cases[] = {
        {"or", {S::NotInstalled, S::Installed}, S::Installed, "P2 2.0"},
        {"and", {S::NotInstalled, S::Installed}, S::NotInstalled, "P2 2.0"},
        {"and", {S::Installed, S::Installed}, S::Installed, "P2 2.0"},
        {"or", {S::Installed, S::Installed}, S::Installed, "P1 2.0"},
        {"or", {S::InstalledOtherVersion, S::Installed}, S::Installed, "P2 2.0"},
        {"or", {S::Installed, S::InstalledOtherVersion}, S::Installed, "P1 2.0"},
        {"and", {S::InstalledOtherVersion, S::NotInstalled}, S::InstalledOtherVersion, "P1 0.5"},
        {"and",
         {S::NotInstalled, S::InstalledOtherVersion, S::Installed},
         S::InstalledOtherVersion,
         "P3 2.0"},
        {"or", {S::NotInstalled, S::NotInstalled}, S::NotInstalled, ""},
        {"OR", {S::NotInstalled, S::Installed}, S::NotInstalled, "P2 2.0"},
        {"and", {}, S::Installed, ""},
    };
    for (const auto& c : cases) {
        FakePlatform fake;
        std::string yaml = "choose_type: " + c.chooseType + "\n";
        for (std::size_t i = 0; i < c.packets.size(); ++i) {
            const std::string name = "P" + std::to_string(i + 1);
            yaml += PacketYaml(name, "    minVersion: 1.0\n");
            if (c.packets[i] == S::NotInstalled) continue;
            const std::string version = c.packets[i] == S::Installed ? "2.0" : "0.5";
            List(fake.registry, kKeyWow64_32Key, {name, name, version});
        }
        SoftwareTask task = Loaded(fake, yaml);
        task.Detect();
        std::string what = c.chooseType;
        for (const auto status : c.packets) what += " " + std::to_string(static_cast<int>(status));
        EXPECT_EQ(task.status, c.status) << what;
        EXPECT_EQ(task.statusDetail, c.detail) << what;
    }
}

TEST(SoftwareTaskDetect, AComponentWithNoPacketForThisMachineCountsAsInstalled) {
    FakePlatform fake(false);
    SoftwareTask task = Loaded(fake, R"(-package:
    name: Crypto
    bits: x64
-package:
    name: Crypto
)");
    List(fake.registry, 0, {"a", "Crypto", "1.0"});
    task.Detect();
    EXPECT_EQ(task.status, TaskStatus::Installed);
    EXPECT_EQ(task.packets[0]->status, TaskStatus::NotInstalled) << "not applicable, not detected";
    EXPECT_EQ(task.packets[1]->status, TaskStatus::NotInstalled);
}

TEST(SoftwareTaskDetect, ChecksARegistryValueInsteadOfTheList) {
    struct Case {
        std::string checkRegKey;
        std::string checkRegParam;
        RegHandle root;  // where the value is written, with no view flag
        std::string path;
        std::string valueName;
        std::uint32_t type;
        std::string data;
        std::uint32_t view = 0;
        bool installed;
    };
    const std::string dword("\x01\0\0\0", 4);
    const Case cases[] = {
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Ormeta\\SignPlugin", "Version", kHkeyLocalMachine,
         "SOFTWARE\\Ormeta\\SignPlugin", "Version", kRegSz, "2.1\0", 0, true},
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Ormeta\\SignPlugin", "Version", kHkeyLocalMachine,
         "SOFTWARE\\Ormeta\\SignPlugin", "Version", kRegSz, "2.1\0", kKeyWow64_64Key, false},
        {"HKEY_CURRENT_USER\\Software\\Ormeta", "Installed", kHkeyCurrentUser, "Software\\Ormeta",
         "Installed", kRegDword, dword, 0, true},
        {"HKEY_CLASSES_ROOT\\Ormeta.Sign", "", kHkeyClassesRoot, "Ormeta.Sign", "", kRegSz, "x", 0,
         true},
        {"HKEY_USERS\\.DEFAULT\\Software\\Ormeta", "Version", kHkeyUsers,
         ".DEFAULT\\Software\\Ormeta", "Version", kRegBinary, "\x02", 0, true},
        {"HKLM\\SOFTWARE\\Ormeta\\SignPlugin", "Version", kHkeyLocalMachine,
         "SOFTWARE\\Ormeta\\SignPlugin", "Version", kRegSz, "2.1", 0, false},
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Ormeta\\SignPlugin", "Build", kHkeyLocalMachine,
         "SOFTWARE\\Ormeta\\SignPlugin", "Version", kRegSz, "2.1", 0, false},
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Ormeta\\SignPlugin", "Version", kHkeyLocalMachine,
         "SOFTWARE\\Ormeta\\SignPlugin", "Version", kRegBinary, std::string(257, 'x'), 0, false},
        {"HKEY_CURRENT_USER\\Software\\Ormeta", "Version", kHkeyCurrentUser, "Software\\Other",
         "Version", kRegSz, "2.1", 0, false},
        {"HKEY_CURRENT_USER", "Version", kHkeyCurrentUser, "", "Version", kRegSz, "2.1", 0, true},
    };
    for (const auto& c : cases) {
        FakePlatform fake;
        SoftwareTask task = Loaded(
            fake, PacketYaml("Plugin", "    title: Плагин 2.1\n    CheckRegKey: " + c.checkRegKey +
                                           "\n    CheckRegParam: '" + c.checkRegParam + "'\n"));
        const RegKey key = RegKey::Create(fake.registry, c.root, c.path, kKeyAllAccess | c.view);
        ASSERT_TRUE(key);
        key.Set(c.valueName, c.type, c.data);
        // The list is no evidence for a packet with its own check.
        List(fake.registry, kKeyWow64_32Key, {"p", "Plugin", "2.1"});
        task.Detect();
        const Packet& packet = *task.packets[0];
        const std::string what = c.checkRegKey + " " + c.checkRegParam;
        EXPECT_EQ(packet.status, c.installed ? TaskStatus::Installed : TaskStatus::NotInstalled)
            << what;
        EXPECT_EQ(Utf8(packet.installedText), c.installed ? "Плагин 2.1" : "") << what;
        EXPECT_EQ(task.status, packet.status) << what;
    }
}

TEST(SoftwareTaskPlan, TheDefaultsAreTheOnlyApplicablePacketAndTheMarkedOnes) {
    struct Case {
        const char* what;
        std::string yaml;
        std::vector<bool> chosen;
    };
    const Case cases[] = {
        {"one packet", PacketYaml("A"), {true}},
        {"one of two fits",
         PacketYaml("A") + "-package:\n    name: B\n    bits: x32\n",
         {true, false}},
        {"two fit", PacketYaml("A") + PacketYaml("B"), {false, false}},
        {"two fit, one marked",
         PacketYaml("A") + PacketYaml("B", "    ToInstall: yes\n"),
         {false, true}},
    };
    for (const auto& c : cases) {
        FakePlatform fake;
        auto task = std::make_shared<SoftwareTask>(Loaded(fake, c.yaml));
        const InstallPlan plan = PlanWithDefaults({}, {task});
        std::vector<bool> chosen;
        for (const auto& packet : task->packets) chosen.push_back(task->IsChosen(plan, *packet));
        EXPECT_EQ(chosen, c.chosen) << c.what;
    }
}

TEST(SoftwareTaskDetect, AnUnreadableListStillLeavesTheRegistryChecks) {
    FakePlatform fake;
    List(fake.registry, kKeyWow64_32Key, {"a", "Crypto", "1.0"});
    RegKey::Create(fake.registry, kHkeyCurrentUser, "Software\\Plugin", kKeyAllAccess)
        .Set("Version", kRegSz, "1.0");
    HideUninstallList(fake.registry);
    SoftwareTask task =
        Loaded(fake, PacketYaml("Crypto") +
                         PacketYaml("Plugin",
                                    "    CheckRegKey: HKEY_CURRENT_USER\\Software\\Plugin\n"
                                    "    CheckRegParam: Version\n    title: Plugin 1.0\n"));
    task.Detect();
    EXPECT_EQ(task.packets[0]->status, TaskStatus::NotInstalled);
    EXPECT_EQ(task.packets[1]->status, TaskStatus::Installed);
    EXPECT_EQ(task.status, TaskStatus::NotInstalled);
    EXPECT_EQ(task.statusDetail, "Plugin 1.0");
}

TEST(SoftwareTaskDetect, AgainAfterInstalledKeepsWhatThePacketsSaid) {
    FakePlatform fake;
    SoftwareTask task = Loaded(fake, PacketYaml("Crypto", "    minVersion: 2.0\n"));
    List(fake.registry, kKeyWow64_32Key, {"a", "Crypto", "2.0"});
    task.Detect();
    ASSERT_EQ(task.status, TaskStatus::Installed);
    List(fake.registry, kKeyWow64_32Key, {"a", "Crypto", "1.0"});
    task.Detect();
    EXPECT_EQ(task.packets[0]->installedText, "Crypto 2.0");
    EXPECT_EQ(task.status, TaskStatus::Installed);

    // A task not yet installed looks again.
    task.status = TaskStatus::NotInstalled;
    task.Detect();
    EXPECT_EQ(task.packets[0]->installedText, "Crypto 1.0");
    EXPECT_EQ(task.status, TaskStatus::InstalledOtherVersion);
}

// ---------------------------------------------------------------- Execute

using StepList = std::vector<std::pair<test::Step, std::string>>;

// The plan the packet page starts from: the packets the file marks ToInstall.
InstallPlan MarkedPlan(const SoftwareTask& task) {
    InstallPlan plan;
    for (std::size_t i = 0; i < task.packets.size(); ++i) {
        if (task.packets[i]->ToInstall) plan.Choose(task, i, true);
    }
    return plan;
}

class SoftwareTaskExecute : public ::testing::Test {
  protected:
    SoftwareTaskExecute() {
        fake_.system.tempDirectory = temp_.path().string() + "/";
        fake_.processes.programs["msiexec"] = ExitsWith(0);
    }

    SoftwareTask Task(std::string_view yaml) { return Loaded(fake_, yaml); }

    void Execute(SoftwareTask& task) { task.Execute(MarkedPlan(task), page_, cancel_); }

    // The messages other than progress, as (message, text) with the task's
    // address standing for the final one.
    StepList Steps(const SoftwareTask& task) const {
        StepList steps;
        for (const auto& entry : page_.Steps()) {
            const bool isTask = entry.lParam == reinterpret_cast<std::intptr_t>(&task);
            steps.emplace_back(entry.message, isTask ? "task" : entry.text);
            EXPECT_EQ(entry.wParam, 0u);
        }
        return steps;
    }

    test::TempDir temp_;
    FakePlatform fake_;
    test::RecordingPage page_;
    std::atomic<bool> cancel_{false};
};

TEST_F(SoftwareTaskExecute, DownloadsAndRunsTheChosenPacketsInOrder) {
    const std::string given = (temp_.path() / "given.msi").string();
    fake_.internet.responses["http://127.0.0.1/a.msi"] = FakeInternet::Body("installer A");
    fake_.internet.responses["http://127.0.0.1/c.msi"] = FakeInternet::Body("installer C");
    SoftwareTask task =
        Task(PacketYaml("A", R"(    title: Пакет А
    version: 1.0
    SrcUrl: http://127.0.0.1/a.msi
    CommandLine: msiexec /i FILENAME /qn
    ToInstall: yes
)") + PacketYaml("B", "    SrcUrl: http://127.0.0.1/b.msi\n    CommandLine: msiexec /i B\n") +
             PacketYaml("C", "    SrcUrl: http://127.0.0.1/c.msi\n    DstUrl: " + given +
                                 "\n    CommandLine: msiexec /i FILENAME\n"
                                 "    ToInstall: yes\n"));
    Execute(task);

    const std::string labelA = Utf8ToCp1251("Пакет А 1.0 all");
    const std::string labelC = "C  all";
    EXPECT_EQ(Steps(task), (StepList{{test::Step::DownloadBegins, labelA},
                                     {test::Step::InstallBegins, labelA},
                                     {test::Step::DownloadBegins, labelC},
                                     {test::Step::InstallBegins, labelC},
                                     {test::Step::TaskFinished, "task"}}));
    EXPECT_EQ(task.status, TaskStatus::Installed);
    const Packet& a = *task.packets[0];
    EXPECT_EQ(std::filesystem::path(a.DstUrl).parent_path(), temp_.path())
        << "a new temporary file: " << a.DstUrl;
    EXPECT_EQ(ReadFile(a.DstUrl), "installer A");
    EXPECT_EQ(ReadFile(given), "installer C");
    EXPECT_EQ(fake_.processes.commandLines,
              (std::vector<std::string>{"msiexec /i " + a.DstUrl + " /qn", "msiexec /i " + given}));
    for (const auto& packet : task.packets) {
        EXPECT_EQ(packet->status, TaskStatus::NotInstalled) << "only detection sets it";
    }
    EXPECT_EQ(fake_.internet.OpenHandles(), 0u);
}

TEST_F(SoftwareTaskExecute, InstallsOnlyApplicableChosenPacketsNotYetInstalled) {
    struct Case {
        const char* what;
        std::string yaml;
        std::vector<TaskStatus> packetStates;
        std::vector<std::string> installed;  // command lines, in order
    };
    using S = TaskStatus;
    const std::string a = "    CommandLine: msiexec A\n";
    const std::string b = "    CommandLine: msiexec B\n";
    const std::string chosen = "    ToInstall: yes\n";
    const Case cases[] = {
        {"the only applicable packet", PacketYaml("A", a), {S::NotInstalled}, {"msiexec A"}},
        {"the only one, installed already", PacketYaml("A", a), {S::Installed}, {}},
        {"the only one, in another version",
         PacketYaml("A", a),
         {S::InstalledOtherVersion},
         {"msiexec A"}},
        {"the only one that fits",
         PacketYaml("A", a) + "-package:\n    name: B\n    bits: x32\n" + b + chosen,
         {S::NotInstalled, S::NotInstalled},
         {"msiexec A"}},
        {"two, none chosen",
         PacketYaml("A", a) + PacketYaml("B", b),
         {S::NotInstalled, S::NotInstalled},
         {}},
        {"two, the second chosen",
         PacketYaml("A", a) + PacketYaml("B", b + chosen),
         {S::NotInstalled, S::NotInstalled},
         {"msiexec B"}},
        {"two chosen, one installed",
         PacketYaml("A", a + chosen) + PacketYaml("B", b + chosen),
         {S::Installed, S::Downloaded},
         {"msiexec B"}},
        {"a packet without bits", "-package:\n    name: A\n" + a + chosen, {S::NotInstalled}, {}},
    };
    for (const auto& c : cases) {
        fake_.processes.commandLines.clear();
        page_.entries.clear();
        SoftwareTask task = Task(c.yaml);
        for (std::size_t i = 0; i < c.packetStates.size(); ++i) {
            task.packets.at(i)->status = c.packetStates[i];
        }
        Execute(task);
        EXPECT_EQ(fake_.processes.commandLines, c.installed) << c.what;
        const bool any = !c.installed.empty();
        EXPECT_EQ(task.status, any ? S::Installed : S::NotInstalled) << c.what;
        // Two messages per packet (nothing to download), one for the task.
        EXPECT_EQ(page_.entries.size(), any ? 2 * c.installed.size() + 1 : 0u) << c.what;
    }
}

TEST_F(SoftwareTaskExecute, NothingHappensWithoutPackets) {
    SoftwareTask task = Task("type: software\nname: empty\n");
    fake_.system.wow64Fails = true;  // not even the machine is asked
    Execute(task);
    EXPECT_TRUE(page_.entries.empty());
    EXPECT_EQ(task.status, TaskStatus::NotInstalled);
}

TEST_F(SoftwareTaskExecute, ACancelDuringOrAfterTheDownloadStopsBeforeTheInstaller) {
    fake_.internet.responses["http://127.0.0.1/a.msi"] = FakeInternet::Body("A");
    for (const test::Step cancelAt : {test::Step::DownloadBegins, test::Step::InstallBegins}) {
        cancel_ = false;
        page_.entries.clear();
        SoftwareTask task =
            Task(PacketYaml("A",
                            "    SrcUrl: http://127.0.0.1/a.msi\n    CommandLine: msiexec A\n"
                            "    ToInstall: yes\n") +
                 PacketYaml("B", "    CommandLine: msiexec B\n    ToInstall: yes\n"));
        page_.onMessage = [this, cancelAt](const test::RecordingPage::Entry& entry) {
            if (entry.message == cancelAt) cancel_ = true;
        };
        Execute(task);
        EXPECT_EQ(Steps(task), (StepList{{test::Step::DownloadBegins, "A  all"},
                                         {test::Step::InstallBegins, "A  all"}}));
        EXPECT_TRUE(fake_.processes.commandLines.empty());
        EXPECT_EQ(task.status, TaskStatus::Downloaded);
    }
}

TEST_F(SoftwareTaskExecute, AFailedDownloadOrInstallerFailsTheTaskWithItsMessage) {
    fake_.internet.responses["http://127.0.0.1/a.msi"] = FakeInternet::Body("A");
    fake_.internet.responses["http://127.0.0.1/missing.msi"] = FakeInternet::Status(404, "no");
    fake_.processes.programs["failing"] = ExitsWith(1603);
    struct Case {
        std::string srcUrl;
        std::string commandLine;
        std::vector<test::Step> steps;
        std::size_t runs;
        std::string message;  // empty: the one the download itself gives
    };
    const Case cases[] = {
        {"http://127.0.0.1/missing.msi", "msiexec A", {test::Step::DownloadBegins}, 0, ""},
        {"http://127.0.0.1:1/refused.msi", "msiexec A", {test::Step::DownloadBegins}, 0, ""},
        {"http://127.0.0.1/a.msi",
         "failing",
         {test::Step::DownloadBegins, test::Step::InstallBegins},
         1,
         "Программа вернула значение отличное от нуля. Код ошибки: 1603"},
        {"",
         "missing.exe",
         {test::Step::DownloadBegins, test::Step::InstallBegins},
         1,
         "Ошибка при запуске программы"},
    };
    for (const auto& c : cases) {
        page_.entries.clear();
        fake_.processes.commandLines.clear();
        std::string expected = Utf8ToCp1251(c.message);
        if (c.message.empty()) {
            JobContext context;
            std::string destination;
            ASSERT_FALSE(DownloadFile(fake_.internet, fake_.system, fake_.privateFiles, context,
                                      destination, c.srcUrl));
            expected = context.message;
        }
        SoftwareTask task =
            Task(PacketYaml("A", "    SrcUrl: " + c.srcUrl + "\n    CommandLine: " + c.commandLine +
                                     "\n") +
                 PacketYaml("B", "    CommandLine: msiexec B\n    ToInstall: yes\n"));
        task.packets[0]->ToInstall = true;
        try {
            Execute(task);
            ADD_FAILURE() << "no error for " << c.srcUrl << " " << c.commandLine;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(error.what(), expected);
            EXPECT_FALSE(expected.empty());
        }
        std::vector<test::Step> steps;
        for (const auto& entry : page_.Steps()) steps.push_back(entry.message);
        EXPECT_EQ(steps, c.steps) << c.srcUrl << " " << c.commandLine;
        EXPECT_EQ(fake_.processes.commandLines.size(), c.runs) << "the next packet never starts";
    }
}

// ---------------------------------------------------------------- one reading per load

TEST(UninstallListHold, SharesOneReadingOfEachViewWhileItLives) {
    FakePlatform fake;
    List(fake.registry, kKeyWow64_32Key, {"a", "Crypto", "1.0"});
    List(fake.registry, kKeyWow64_64Key, {"a", "Crypto64", "1.0"});
    const auto detect = [&](const char* name) {
        SoftwareTask task = Loaded(fake, PacketYaml(name));
        task.Detect();
        return task.packets[0]->installedText;
    };
    {
        const UninstallListHold hold(fake.run.uninstallLists);
        EXPECT_EQ(detect("Crypto"), "Crypto 1.0");
        EXPECT_EQ(detect("Crypto64"), "Crypto64 1.0");
        List(fake.registry, kKeyWow64_32Key, {"a", "Crypto", "2.0"});
        List(fake.registry, kKeyWow64_64Key, {"a", "Crypto64", "2.0"});
        EXPECT_EQ(detect("Crypto"), "Crypto 1.0") << "read once while held";
        EXPECT_EQ(detect("Crypto64"), "Crypto64 1.0");
    }
    EXPECT_EQ(detect("Crypto"), "Crypto 2.0") << "afresh once released";
    EXPECT_EQ(detect("Crypto64"), "Crypto64 2.0");
    EXPECT_EQ(fake.registry.OpenHandleCount(), 0u);
}

// Versions are read when a packet asks, from the entry that decides: the
// entries skipped for their names must not shift which key that is.
TEST(UninstallListHold, ReadsEachVersionFromTheEntryThatDecides) {
    FakePlatform fake;
    List(fake.registry, kKeyWow64_32Key, {"a", std::nullopt, "9.1"});
    List(fake.registry, kKeyWow64_32Key, {"b", "Crypto", "9.2", kRegExpandSz});
    List(fake.registry, kKeyWow64_32Key, {"c", "Crypto", "1.0"});
    List(fake.registry, kKeyWow64_32Key, {"d", std::string(300, 'C'), "9.3"});
    List(fake.registry, kKeyWow64_32Key, {"e", "Other", "2.0"});
    List(fake.registry, kKeyWow64_32Key, {"f", "Crypto", "4.5"});
    List(fake.registry, kKeyWow64_32Key, {"g", "Plugin", std::nullopt});
    List(fake.registry, kKeyWow64_64Key, {"e", "Other64", "3.0"});
    const auto detect = [&](const char* name) {
        SoftwareTask task = Loaded(fake, PacketYaml(name));
        task.Detect();
        return task.packets[0]->installedText;
    };
    {
        const UninstallListHold hold(fake.run.uninstallLists);
        EXPECT_EQ(detect("Other"), "Other 2.0");
        EXPECT_EQ(detect("Crypto"), "Crypto 4.5");
        EXPECT_EQ(detect("Other64"), "Other64 3.0") << "the same key name in the other view";
        EXPECT_EQ(detect("Plugin"), "Plugin ");
        EXPECT_EQ(detect("Crypto"), "Crypto 4.5") << "asked again";
    }
    EXPECT_EQ(detect("Crypto"), "Crypto 4.5") << "without a hold";
    EXPECT_EQ(fake.registry.OpenHandleCount(), 0u);
}

}  // namespace
}  // namespace velk
