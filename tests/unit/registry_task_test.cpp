#include "tasks/registry_task.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
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

namespace velk {
namespace {

using namespace std::string_literals;

struct TestMachine {
    explicit TestMachine(bool is64Bit) : fakes(is64Bit) {}

    // A task loaded from the component file's record groups.
    std::unique_ptr<RegistryTask> Task(const std::string& records) {
        auto task = std::make_unique<RegistryTask>(platform);
        task->Load(ReadYamlPairsFromText("type: registry\n" + records));
        return task;
    }
    TaskStatus Detected(const std::string& records) {
        auto task = Task(records);
        task->Detect();
        return task->status;
    }
    void Execute(RegistryTask& task) { task.Execute({}, page, cancel); }

    // The stored value as a 64-bit program sees it.
    std::string Stored(RegHandle root, const std::string& subkey, const std::string& name,
                       std::uint32_t* type = nullptr) {
        const RegKey key = RegKey::Open(registry, root, subkey, kKeyRead | kKeyWow64_64Key);
        std::string data;
        if (key) key.Query(name, 64, type, &data);
        return data;
    }
    void Set(const std::string& subkey, const std::string& name, std::uint32_t type,
             const std::string& data) {
        ASSERT_EQ(RegKey::Create(registry, kHkeyLocalMachine, subkey, kKeyWrite | kKeyWow64_64Key)
                      .Set(name, type, data),
                  kErrorSuccess);
    }

    FakePlatform fakes;
    FakeRegistry& registry = fakes.registry;
    Platform& platform = fakes.platform;
    test::RecordingPage page;
    std::atomic<bool> cancel{false};
};

std::string Group(const std::string& bits, const std::string& key, const std::string& type,
                  const std::string& name, const std::string& value) {
    return "-record:\n    bits: '" + bits + "'\n    key: " + key + "\n    type: " + type +
           "\n    name: '" + name + "'\n    value: '" + value + "'\n";
}

std::string VendorRecord(const std::string& type, const std::string& value,
                         const std::string& bits = "all") {
    return Group(bits, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor", type, "v", value);
}

class RegistryTaskTest : public ::testing::TestWithParam<bool> {
  protected:
    TestMachine machine{GetParam()};
};

TEST_P(RegistryTaskTest, WrittenRecordsAreStoredAsTypedAndDetectedAgain) {
    const struct {
        const char* type;
        const char* value;
        std::uint32_t storedType;
        std::string stored;
    } cases[] = {
        {"REG_SZ", "Текст", kRegSz, Utf8ToCp1251("Текст") + '\0'},
        {"REG_EXPAND_SZ", "%TEMP%\\x", kRegExpandSz, std::string("%TEMP%\\x\0", 9)},
        {"REG_BINARY", "03,,00", kRegBinary, "\x03"},
        {"REG_BINARY", "03, 00,ff", kRegBinary, std::string("\x03\0\xff", 3)},
        {"REG_BINARY", "", kRegBinary, ""},
        {"REG_DWORD", "10", kRegDword, std::string("\x10\0\0\0", 4)},
        {"REG_DWORD", "ffffffff", kRegDword, "\xff\xff\xff\xff"},
        {"REG_QWORD", "-1", kRegQword, std::string(8, '\xff')},
        {"REG_QWORD", "1ff", kRegQword, std::string("\xff\x01\0\0\0\0\0\0", 8)},
    };
    for (const auto& c : cases) {
        const std::string records = VendorRecord(c.type, c.value);
        auto task = machine.Task(records);
        machine.Execute(*task);
        EXPECT_EQ(task->status, TaskStatus::Installed);
        std::uint32_t type = kRegNone;
        const std::string stored =
            machine.Stored(kHkeyLocalMachine, "SOFTWARE\\Vendor", "v", &type);
        EXPECT_EQ(type, c.storedType) << c.type << ' ' << c.value;
        EXPECT_EQ(stored, c.stored) << c.type << ' ' << c.value;
        EXPECT_EQ(machine.Detected(records), TaskStatus::Installed) << c.type << ' ' << c.value;
    }
    // A 32-bit program's own view of the machine's software keys stays empty.
    EXPECT_FALSE(RegKey::Open(machine.registry, kHkeyLocalMachine, "SOFTWARE\\Wow6432Node\\Vendor",
                              kKeyRead | kKeyWow64_64Key));
    EXPECT_EQ(machine.registry.OpenHandleCount(), 0u);
}

TEST_P(RegistryTaskTest, DetectionNeedsTheExactStoredTypeAndData) {
    const struct {
        const char* type;
        std::string value;
        std::uint32_t storedType;  // kRegNone with no data: nothing stored
        std::string stored;
        bool matches;
    } cases[] = {
        {"REG_SZ", "Abc", kRegSz, std::string("Abc\0", 4), true},
        {"REG_SZ", "Abc", kRegSz, "Abc", true},  // stored without its NUL
        {"REG_SZ", "Abc", kRegSz, std::string("Abc\0x", 5), true},
        {"REG_SZ", "Abc", kRegSz, std::string("abc\0", 4), false},
        {"REG_SZ", "Abc", kRegExpandSz, std::string("Abc\0", 4), false},
        {"REG_SZ", "", kRegNone, "", false},
        {"REG_BINARY", "03,00", kRegBinary, std::string("\x03\0", 2), true},
        {"REG_BINARY", "03,00", kRegBinary, std::string("\x03\0\0", 3), false},
        {"REG_BINARY", "03,,00", kRegBinary, std::string("\x03\0", 2), false},
        {"REG_DWORD", "10", kRegDword, std::string("\x10\0\0\0", 4), true},
        {"REG_DWORD", "10", kRegDword, std::string("\x0a\0\0\0", 4), false},
        {"REG_DWORD", "10", kRegBinary, std::string("\x10\0\0\0", 4), false},
        {"REG_DWORD", "10", kRegDword, "\x10", false},  // too short for a number
        {"REG_DWORD", "zz", kRegDword, std::string(4, '\0'), true},
        {"REG_QWORD", "10", kRegQword, std::string("\x10\0\0\0\0\0\0\0", 8), true},
        {"REG_QWORD", "10", kRegDword, std::string("\x10\0\0\0", 4), false},
        {"REG_MULTI_SZ", "", kRegNone, "x", false},  // unknown type: never
        {"REG_MULTI_SZ", "", kRegMultiSz, "", false},
        // Longer than the detection's buffer, counting the NUL.
        {"REG_SZ", std::string(9999, 'a'), kRegSz, std::string(9999, 'a') + '\0', true},
        {"REG_SZ", std::string(10000, 'a'), kRegSz, std::string(10000, 'a') + '\0', false},
    };
    for (const auto& c : cases) {
        TestMachine fresh(GetParam());
        if (c.storedType != kRegNone || !c.stored.empty()) {
            fresh.Set("SOFTWARE\\Vendor", "v", c.storedType, c.stored);
        }
        EXPECT_EQ(fresh.Detected(VendorRecord(c.type, c.value)),
                  c.matches ? TaskStatus::Installed : TaskStatus::NotInstalled)
            << c.type << ' ' << c.value << ' ' << c.storedType << ' ' << c.stored.size();
    }
}

TEST_P(RegistryTaskTest, DetectionLooksOnlyAtRecordsForThisBitness) {
    const std::string own = GetParam() ? "x64" : "x32";
    const std::string other = GetParam() ? "x32" : "x64";
    machine.Set("SOFTWARE\\Vendor", "v", kRegDword, std::string("\x01\0\0\0", 4));
    const std::string present = VendorRecord("REG_DWORD", "1", own);
    const std::string missing =
        Group(own, "HKEY_CURRENT_USER\\Software\\Vendor", "REG_SZ", "m", "");
    const std::string otherMissing = Group(other, "HKEY_CURRENT_USER\\Nothing", "REG_SZ", "", "");

    EXPECT_EQ(machine.Detected(present + otherMissing), TaskStatus::Installed);
    EXPECT_EQ(machine.Detected(otherMissing), TaskStatus::Installed);  // nothing applicable
    EXPECT_EQ(machine.Detected(""), TaskStatus::Installed);
    EXPECT_EQ(machine.Detected(present + missing), TaskStatus::NotInstalled);
    for (const char* bits : {"", "X64", "x86", "all "}) {
        EXPECT_EQ(machine.Detected(Group(bits, "HKEY_CURRENT_USER\\Nothing", "REG_SZ", "", "")),
                  TaskStatus::Installed)
            << bits;
    }
    // Already installed: not looked at again.
    auto task = machine.Task(missing);
    task->status = TaskStatus::Installed;
    task->Detect();
    EXPECT_EQ(task->status, TaskStatus::Installed);
}

TEST_P(RegistryTaskTest, ExecuteWritesEveryRecordWhateverItsBitsAndReports) {
    const std::string vendor = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor";
    auto task = machine.Task(Group("x32", vendor, "REG_DWORD", "d", "ff") +
                             Group("x64", vendor, "REG_SZ", "s", "b") +
                             Group("other", "HKEY_CURRENT_USER\\Software\\Z", "REG_SZ", "z", "c"));
    machine.Execute(*task);

    EXPECT_EQ(task->status, TaskStatus::Installed);
    EXPECT_EQ(machine.Stored(kHkeyLocalMachine, "SOFTWARE\\Vendor", "d"), "\xff\0\0\0"s);
    EXPECT_EQ(machine.Stored(kHkeyLocalMachine, "SOFTWARE\\Vendor", "s"), "b\0"s);
    EXPECT_EQ(machine.Stored(kHkeyCurrentUser, "Software\\Z", "z"), std::string("c\0", 2));
    const std::string prefix = Utf8ToCp1251("Запись в реестр. Ключ ");
    const std::vector<std::pair<test::Step, std::string>> expected = {
        {test::Step::InstallBegins, prefix + "SOFTWARE\\Vendor"},
        {test::Step::InstallBegins, prefix + "SOFTWARE\\Vendor"},
        {test::Step::InstallBegins, prefix + "Software\\Z"},
        {test::Step::TaskFinished, ""},
    };
    ASSERT_EQ(machine.page.entries.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(machine.page.entries[i].message, expected[i].first) << i;
        EXPECT_EQ(machine.page.entries[i].text, expected[i].second) << i;
        EXPECT_EQ(machine.page.entries[i].wParam, 0u) << i;
    }
    EXPECT_EQ(machine.page.entries.back().lParam, reinterpret_cast<std::intptr_t>(task.get()));
}

TEST_P(RegistryTaskTest, WritingStopsAtTheFirstRecordThatFails) {
    const std::string first = Group("all", "HKEY_CURRENT_USER\\Software\\A", "REG_SZ", "a", "1");
    const std::string third = Group("all", "HKEY_CURRENT_USER\\Software\\C", "REG_SZ", "c", "3");
    const struct {
        std::string second;
        std::string error;  // UTF-8
    } cases[] = {
        {Group("all", "HKEY_CURRENT_USER\\Software\\Locked\\B", "REG_SZ", "b", "2"),
         "Ошибка при создании ключа реестра Software\\Locked\\B"},
        {Group("all", "HKEY_CURRENT_USER\\Software\\B", "REG_SZ", "refused", "2"),
         "Ошибка при создании параметра реестра refused"},
        {Group("all", "HKCU\\Software\\B", "REG_SZ", "b", "2"),
         "Ошибка при создании ключа реестра Software\\B"},
        {Group("all", "Software", "REG_SZ", "b", "2"),
         "Ошибка при создании ключа реестра Software"},
    };
    for (const auto& c : cases) {
        TestMachine fresh(GetParam());
        fresh.registry.FailBelow(kHkeyCurrentUser, "Software\\Locked", kErrorAccessDenied);
        fresh.registry.FailSetValue("refused", kErrorAccessDenied);
        auto task = fresh.Task(first + c.second + third);
        try {
            fresh.Execute(*task);
            ADD_FAILURE() << "no error for " << c.error;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(Cp1251ToUtf8(error.what()), c.error);
        }
        EXPECT_EQ(task->status, TaskStatus::NotInstalled);
        EXPECT_EQ(fresh.Stored(kHkeyCurrentUser, "Software\\A", "a"), std::string("1\0", 2));
        EXPECT_FALSE(RegKey::Open(fresh.registry, kHkeyCurrentUser, "Software\\C", kKeyRead));
        EXPECT_EQ(fresh.page.entries.size(), 2u) << c.error;
        EXPECT_EQ(fresh.registry.OpenHandleCount(), 0u);
    }
}

TEST_P(RegistryTaskTest, AnUnknownTypeCreatesTheKeyAndSetsNothing) {
    const std::string records =
        Group("all", "HKEY_CURRENT_USER\\Software\\U", "REG_MULTI_SZ", "u", "x") +
        Group("all", "HKEY_CURRENT_USER\\Software\\After", "REG_SZ", "a", "1");
    auto task = machine.Task(records);
    machine.Execute(*task);
    const RegKey key = RegKey::Open(machine.registry, kHkeyCurrentUser, "Software\\U", kKeyRead);
    ASSERT_TRUE(key);
    std::string data;
    EXPECT_EQ(key.Query("u", 16, nullptr, &data), kErrorFileNotFound);
    EXPECT_EQ(machine.Stored(kHkeyCurrentUser, "Software\\After", "a"), std::string("1\0", 2));
    EXPECT_EQ(machine.Detected(records), TaskStatus::NotInstalled);
}

INSTANTIATE_TEST_SUITE_P(Bitness, RegistryTaskTest, ::testing::Bool(),
                         [](const auto& test) { return test.param ? "x64" : "x32"; });

}  // namespace
}  // namespace velk
