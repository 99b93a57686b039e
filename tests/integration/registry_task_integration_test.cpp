// The registry task over the real registry: what it writes must land where a
// 64-bit program looks, and be found again by a fresh task.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>

#include "config/yaml_pairs.h"
#include "engine/install_plan.h"
#include "fakes/fake_platform.h"
#include "platform/codepage.h"
#include "platform/registry_key.h"
#include "platform/system_errors.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system_info.h"
#include "support/recording_page.h"
#include "support/test_support.h"
#include "support/win32_cleanup.h"
#include "tasks/registry_task.h"

namespace velk {
namespace {

using namespace std::string_literals;

class RegistryTaskIntegrationTest : public ::testing::Test {
  protected:
    RegistryTaskIntegrationTest()
        : scratch_("velk-registry-task-" +
                   std::to_string(std::chrono::steady_clock::now().time_since_epoch().count())),
          machineKey_("SOFTWARE\\" + scratch_),
          userKey_("Software\\" + scratch_) {}
    ~RegistryTaskIntegrationTest() override {
        test::RemoveRegistryTree(kHkeyLocalMachine, machineKey_);
        test::RemoveRegistryTree(kHkeyCurrentUser, userKey_);
    }

    bool Is64BitSystem() const { return test::WineArch() == "win64"; }

    std::string Group(const std::string& bits, const std::string& key, const std::string& type,
                      const std::string& name, const std::string& value) const {
        return "-record:\n    bits: " + bits + "\n    key: " + key + "\n    type: " + type +
               "\n    name: '" + name + "'\n    value: '" + value + "'\n";
    }
    std::string MachineGroup(const std::string& bits, const std::string& type,
                             const std::string& name, const std::string& value) const {
        return Group(bits, "HKEY_LOCAL_MACHINE\\" + machineKey_, type, name, value);
    }

    RegistryTask Loaded(const std::string& records) {
        RegistryTask task(platform_);
        task.Load(ReadYamlPairsFromText("type: registry\n" + records));
        return task;
    }
    TaskStatus Detected(const std::string& records) {
        RegistryTask task = Loaded(records);
        task.Detect();
        return task.status;
    }

    // A value as the given view shows it; empty when it is missing.
    std::string Stored(RegHandle root, const std::string& path, const std::string& name,
                       std::uint32_t view, std::uint32_t* type = nullptr) {
        const RegKey key = RegKey::Open(registry_, root, path, kKeyRead | view);
        std::string data;
        if (key) key.Query(name, 64, type, &data);
        return data;
    }

    const std::string scratch_, machineKey_, userKey_;
    Win32Registry registry_;
    Win32SystemInfo system_;
    // The seams the registry task does not use.
    FakePlatform fakes_;
    Platform platform_{
        registry_, system_,      fakes_.internet,     fakes_.processes, fakes_.com,
        fakes_.ui, fakes_.zones, fakes_.certificates, fakes_.files,     fakes_.privateFiles};
    test::RecordingPage page_;
    std::atomic<bool> cancel_{false};
};

TEST_F(RegistryTaskIntegrationTest, RecordsOfEveryTypeLandInTheSixtyFourBitViewAndAreFoundAgain) {
    const std::string own = Is64BitSystem() ? "x64" : "x32";
    const std::string other = Is64BitSystem() ? "x32" : "x64";
    const std::string records =
        MachineGroup("all", "REG_SZ", "text", "Программа") +
        MachineGroup("all", "REG_EXPAND_SZ", "expand", "%TEMP%\\x") +
        MachineGroup("all", "REG_BINARY", "binary", "03,,00") +
        MachineGroup(own, "REG_BINARY", "bytes", "03, 00,ff") +
        MachineGroup(other, "REG_DWORD", "dword", "10") +
        MachineGroup("all", "REG_QWORD", "qword", "-2") +
        Group("all", "HKEY_CURRENT_USER\\" + userKey_, "REG_DWORD", "", "ff");
    RegistryTask task = Loaded(records);
    task.Execute({}, page_, cancel_);
    EXPECT_EQ(task.status, TaskStatus::Installed);
    EXPECT_EQ(page_.entries.size(), 8u);

    const struct {
        const char* name;
        std::uint32_t type;
        std::string data;
    } expected[] = {
        {"text", kRegSz, Utf8ToCp1251("Программа")},
        {"expand", kRegExpandSz, "%TEMP%\\x"},
        {"binary", kRegBinary, "\x03"},
        {"bytes", kRegBinary, "\x03\0\xff"s},
        {"dword", kRegDword, "\x10\0\0\0"s},
        {"qword", kRegQword, "\xfe\xff\xff\xff\xff\xff\xff\xff"},
    };
    for (const auto& value : expected) {
        std::uint32_t type = kRegNone;
        std::string data =
            Stored(kHkeyLocalMachine, machineKey_, value.name, kKeyWow64_64Key, &type);
        if (type == kRegSz || type == kRegExpandSz) data = TextUpToNul(data);
        EXPECT_EQ(type, value.type) << value.name;
        EXPECT_EQ(data, value.data) << value.name;
    }
    EXPECT_EQ(Stored(kHkeyCurrentUser, userKey_, "", 0), "\xff\0\0\0"s);

    // Nothing under the 32-bit node, where 64-bit programs never look.
    EXPECT_FALSE(RegKey::Open(registry_, kHkeyLocalMachine, "SOFTWARE\\Wow6432Node\\" + scratch_,
                              kKeyRead | kKeyWow64_64Key));
    EXPECT_EQ(
        bool(RegKey::Open(registry_, kHkeyLocalMachine, machineKey_, kKeyRead | kKeyWow64_32Key)),
        !Is64BitSystem());

    EXPECT_EQ(Detected(records), TaskStatus::Installed);
    ASSERT_EQ(RegKey::Create(registry_, kHkeyLocalMachine, machineKey_, kKeyWrite | kKeyWow64_64Key)
                  .Set("binary", kRegBinary, "\x04"),
              kErrorSuccess);
    EXPECT_EQ(Detected(records), TaskStatus::NotInstalled);
}

TEST_F(RegistryTaskIntegrationTest, DetectionReadsTheSixtyFourBitViewOnly) {
    ASSERT_EQ(RegKey::Create(registry_, kHkeyLocalMachine, machineKey_, kKeyWrite | kKeyWow64_32Key)
                  .Set("only32", kRegSz, "yes"s + '\0'),
              kErrorSuccess);
    // One view on a 32-bit system; a 64-bit one keeps the 32-bit programs' apart.
    EXPECT_EQ(Detected(MachineGroup("all", "REG_SZ", "only32", "yes")),
              Is64BitSystem() ? TaskStatus::NotInstalled : TaskStatus::Installed);
}

TEST_F(RegistryTaskIntegrationTest, ASecondRecordThatCannotBeWrittenEndsTheRun) {
    const std::string tooLong = userKey_ + "\\" + std::string(kMaxKeyNameLength + 2, 'k');
    RegistryTask task =
        Loaded(Group("all", "HKEY_CURRENT_USER\\" + userKey_, "REG_SZ", "first", "1") +
               Group("all", "HKEY_CURRENT_USER\\" + tooLong, "REG_SZ", "second", "2") +
               Group("all", "HKEY_CURRENT_USER\\" + userKey_, "REG_SZ", "third", "3"));
    try {
        task.Execute({}, page_, cancel_);
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(error.what(), Utf8ToCp1251("Ошибка при создании ключа реестра ") + tooLong);
    }
    EXPECT_EQ(task.status, TaskStatus::NotInstalled);
    EXPECT_EQ(TextUpToNul(Stored(kHkeyCurrentUser, userKey_, "first", 0)), "1");
    EXPECT_EQ(Stored(kHkeyCurrentUser, userKey_, "third", 0), "");
}

}  // namespace
}  // namespace velk
