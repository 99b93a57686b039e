// The task processor on its worker thread with the system's COM and real
// registry tasks writing the real registry.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/yaml_pairs.h"
#include "engine/install_plan.h"
#include "engine/page_channel.h"
#include "engine/task_processor.h"
#include "fakes/fake_platform.h"
#include "platform/codepage.h"
#include "platform/platform.h"
#include "platform/registry_key.h"
#include "platform/system_errors.h"
#include "platform/win32/win32_com.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system_info.h"
#include "support/recording_page.h"
#include "support/test_threads.h"
#include "tasks/registry_task.h"

namespace velk {
namespace {

constexpr char kTestKey[] = "Software\\velk-tests\\processor";

void RemoveTestKey() { ::RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey); }

std::string Record(const std::string& root, const std::string& type, const std::string& name,
                   const std::string& value) {
    return "-record:\n    bits: 'all'\n    key: " + root + "\\" + kTestKey + "\n    type: " + type +
           "\n    name: '" + name + "'\n    value: '" + value + "'\n";
}

// Stands for an installer that overwrites a setting the registry tasks made.
class OverwritingSoftware : public InstallTask {
  public:
    explicit OverwritingSoftware(Registry& registry) : registry_(registry) {
        kind = TaskKind::Software;
    }
    void Detect() override {}
    void Load(YamlPairs) override {}
    void Execute(const InstallPlan&, Progress&, const std::atomic<bool>&) override {
        const RegKey key = RegKey::Open(registry_, kHkeyCurrentUser, kTestKey, kKeyAllAccess);
        std::uint32_t type = kRegNone;
        std::string data;
        if (key && key.Query("mode", 64, &type, &data) == kErrorSuccess) seenMode = data;
        if (key) key.Set("mode", kRegSz, std::string("installer", sizeof "installer"));
        status = TaskStatus::Installed;
    }

    std::optional<std::string> seenMode;

  private:
    Registry& registry_;
};

class TaskProcessorIntegrationTest : public ::testing::Test {
  protected:
    TaskProcessorIntegrationTest() { RemoveTestKey(); }
    ~TaskProcessorIntegrationTest() override { RemoveTestKey(); }

    std::shared_ptr<RegistryTask> AddRegistryTask(const std::string& records) {
        auto task = std::make_shared<RegistryTask>(platform);
        task->kind = TaskKind::Registry;
        task->Load(ReadYamlPairsFromText("type: registry\n" + records));
        task->Detect();
        tasks.push_back(task);
        return task;
    }

    // Plays the page until the final message; its text, none on success.
    std::optional<std::string> RunToEnd() {
        std::optional<std::string> outcome;
        page.onMessage = [&](const test::RecordingPage::Entry& entry) {
            if (entry.message == test::Step::RunFinished && entry.lParam != 0) {
                outcome = Cp1251ToUtf8(entry.text);
            }
        };
        PageChannel channel(page, wakes.Wake());
        TaskProcessor processor(channel, com);
        EXPECT_TRUE(processor.Start(InstallPlan({}, tasks)));
        while (page.entries.empty() || page.entries.back().message != test::Step::RunFinished) {
            wakes.WaitForWake();
            channel.Deliver();
        }
        return outcome;
    }

    std::string Stored(const std::string& name) {
        const RegKey key = RegKey::Open(registry, kHkeyCurrentUser, kTestKey, kKeyRead);
        std::string data;
        if (key) key.Query(name, 64, nullptr, &data);
        return data;
    }

    std::vector<std::string> InstallSteps() const {
        std::vector<std::string> steps;
        for (const auto& entry : page.entries) {
            if (entry.message == test::Step::InstallBegins)
                steps.push_back(Cp1251ToUtf8(entry.text));
        }
        return steps;
    }

    test::Watchdog watchdog;
    Win32Registry registry;
    Win32SystemInfo system;
    Win32Com com;
    FakePlatform fakes;  // the seams registry tasks do not use
    Platform platform{
        registry, system,      fakes.internet,     fakes.processes, com,
        fakes.ui, fakes.zones, fakes.certificates, fakes.files,     fakes.privateFiles};
    test::RecordingPage page;
    test::WakeSignal wakes;
    std::vector<std::shared_ptr<InstallTask>> tasks;
};

TEST_F(TaskProcessorIntegrationTest, RegistrySettingsAreWrittenAgainAfterTheSoftware) {
    auto settings = AddRegistryTask(Record("HKEY_CURRENT_USER", "REG_SZ", "mode", "secure") +
                                    Record("HKEY_CURRENT_USER", "REG_DWORD", "level", "10"));
    auto software = std::make_shared<OverwritingSoftware>(registry);
    tasks.insert(tasks.begin(), software);
    ASSERT_EQ(settings->status, TaskStatus::NotInstalled);

    EXPECT_EQ(RunToEnd(), std::nullopt);

    EXPECT_EQ(software->seenMode, std::string("secure", sizeof "secure"));  // the first pass
    EXPECT_EQ(Stored("mode"), std::string("secure", sizeof "secure"));      // the last pass
    EXPECT_EQ(Stored("level"), std::string("\x10\0\0\0", 4));
    // Once before the software, skipped in the second pass as installed, once after.
    const std::string step = std::string("Запись в реестр. Ключ ") + kTestKey;
    EXPECT_EQ(InstallSteps(), std::vector<std::string>(4, step));
    auto detected = AddRegistryTask(Record("HKEY_CURRENT_USER", "REG_SZ", "mode", "secure"));
    EXPECT_EQ(detected->status, TaskStatus::Installed);
}

TEST_F(TaskProcessorIntegrationTest, RecordThatCannotBeWrittenEndsTheRun) {
    auto failing = AddRegistryTask(Record("HKEY_NOWHERE", "REG_SZ", "lost", "x"));
    auto later = AddRegistryTask(Record("HKEY_CURRENT_USER", "REG_SZ", "later", "x"));

    EXPECT_EQ(RunToEnd(), std::string("Ошибка при создании ключа реестра ") + kTestKey);

    EXPECT_EQ(failing->status, TaskStatus::Failed);
    EXPECT_EQ(later->status, TaskStatus::NotInstalled);
    EXPECT_EQ(Stored("later"), "");
}

}  // namespace
}  // namespace velk
