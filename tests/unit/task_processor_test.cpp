#include "engine/task_processor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/page_channel.h"
#include "fakes/fake_com.h"
#include "platform/codepage.h"
#include "support/recording_page.h"
#include "support/test_threads.h"

namespace velk {
namespace {

using namespace std::chrono_literals;
using test::kPatience;
using test::Latch;
using test::WakeSignal;
using test::Watchdog;

// The Execute calls of one test in order, with the threads they ran on.
class Journal {
  public:
    void Add(const std::string& name) {
        std::lock_guard lock(mutex_);
        names_.push_back(name);
        threads_.push_back(std::this_thread::get_id());
    }
    std::vector<std::string> Names() const {
        std::lock_guard lock(mutex_);
        return names_;
    }
    std::vector<std::thread::id> Threads() const {
        std::lock_guard lock(mutex_);
        return threads_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> names_;
    std::vector<std::thread::id> threads_;
};

// A task of any kind: logs its name, runs its step and, like the real kinds
// on success, ends installed unless told otherwise.
class ScriptedTask : public InstallTask {
  public:
    using Step = std::function<void(Progress& progress, const std::atomic<bool>& cancelFlag)>;

    ScriptedTask(Journal& journal, TaskKind taskKind, const std::string& taskName,
                 TaskStatus taskStatus)
        : journal_(journal) {
        kind = taskKind;
        name = taskName;
        status = taskStatus;
    }
    void Detect() override {}
    void Load(YamlPairs) override {}
    void Execute(const InstallPlan&, Progress& progress,
                 const std::atomic<bool>& cancelFlag) override {
        journal_.Add(name);
        if (step) step(progress, cancelFlag);
        if (marksInstalled) status = TaskStatus::Installed;
    }

    Step step;
    bool marksInstalled = true;

  private:
    Journal& journal_;
};

// Polls like a download does; true once the flag is set.
bool WaitForCancel(const std::atomic<bool>& cancelFlag) {
    while (!cancelFlag) std::this_thread::yield();
    return true;
}

// The installation page as the tests play it: its loop runs on whatever thread
// calls RunUntilFinished or delivers, and it records what it handles.
class TestPage : public Progress {
  public:
    struct Entry {
        test::Step message;
        std::optional<std::string> text;  // of the name and outcome reports
        const InstallTask* task;          // of TaskFinished
        TaskStatus taskStatus;            // as the page saw it then
        std::thread::id thread;
    };

    void DownloadBegins(const std::string& item) override {
        Add(test::Step::DownloadBegins, &item);
    }
    void DownloadStarted(const std::string&, std::uint64_t) override {
        Add(test::Step::DownloadProgress, nullptr);
    }
    void DownloadAdvanced(std::uint64_t, std::uint64_t) override {
        Add(test::Step::DownloadProgress, nullptr);
    }
    void InstallBegins(const std::string& item) override { Add(test::Step::InstallBegins, &item); }
    void TaskFinished(const InstallTask& task) override {
        Add(test::Step::TaskFinished, nullptr, &task);
    }
    void RunFinished(const std::string* failure) override { Add(test::Step::RunFinished, failure); }

    void RunUntilFinished(PageChannel& channel) {
        while (entries.empty() || entries.back().message != test::Step::RunFinished) {
            wakes.WaitForWake();
            channel.Deliver();
        }
    }

    std::vector<Entry> entries;
    std::function<void(test::Step message)> beforeHandling;
    WakeSignal wakes;

  private:
    void Add(test::Step message, const std::string* text, const InstallTask* task = nullptr) {
        if (beforeHandling) beforeHandling(message);
        Entry entry{message, std::nullopt, task, TaskStatus::NotInstalled,
                    std::this_thread::get_id()};
        if (task != nullptr) entry.taskStatus = task->status;
        if (text != nullptr) entry.text = Cp1251ToUtf8(*text);
        entries.push_back(entry);
    }
};

class TaskProcessorTest : public ::testing::Test {
  protected:
    std::shared_ptr<ScriptedTask> Add(TaskKind kind, const std::string& name,
                                      TaskStatus status = TaskStatus::NotInstalled) {
        auto task = std::make_shared<ScriptedTask>(journal, kind, name, status);
        tasks.push_back(task);
        return task;
    }

    // Starts a processor, plays the page until the final message and destroys
    // the processor; returns the outcome text, none on success.
    std::optional<std::string> RunToEnd() {
        TaskProcessor processor(channel, com);
        processor.cancelFlag = true;  // left from before: Start begins uncancelled
        EXPECT_TRUE(processor.Start(InstallPlan({}, tasks)));
        page.RunUntilFinished(channel);
        return page.entries.back().text;
    }

    // After the worker ended: COM was set up once on the thread that executed
    // the tasks, not on the page's, and undone there.
    void ExpectComBalancedOnTheWorker() {
        const auto calls = com.Calls();
        ASSERT_EQ(calls.size(), 2u);
        EXPECT_TRUE(calls[0].initialize);
        EXPECT_FALSE(calls[1].initialize);
        EXPECT_EQ(calls[1].thread, calls[0].thread);
        EXPECT_NE(calls[0].thread, std::this_thread::get_id());
        for (const auto& thread : journal.Threads()) EXPECT_EQ(thread, calls[0].thread);
    }

    Watchdog watchdog;
    Journal journal;
    FakeCom com;
    TestPage page;
    // The worker reaches the page through a channel, as on the installation
    // page.
    PageChannel channel{page, page.wakes.Wake()};
    TaskList tasks;
};

TEST_F(TaskProcessorTest, RunsThreePassesInListOrderAndRepeatsRegistryTasks) {
    auto software = Add(TaskKind::Software, "software");
    Add(TaskKind::Registry, "registry-unfinished")->marksInstalled = false;
    Add(TaskKind::Certificate, "certificate");
    Add(TaskKind::CopyFile, "copy");
    Add(TaskKind::Browser, "browser");
    Add(TaskKind::BrowserSetup, "browser-setup");
    Add(TaskKind::Registry, "registry");
    Add(TaskKind::Software, "software-other-version", TaskStatus::InstalledOtherVersion);
    Add(TaskKind::Certificate, "certificate-installed", TaskStatus::Installed);
    Add(TaskKind::Software, "software-installed", TaskStatus::Installed);
    Add(TaskKind::CopyFile, "copy-downloaded", TaskStatus::Downloaded);
    software->step = [](Progress& progress, const std::atomic<bool>&) {
        progress.InstallBegins("software");
    };

    EXPECT_EQ(RunToEnd(), std::nullopt);

    const std::vector<std::string> expected = {"registry-unfinished",
                                               "certificate",
                                               "browser",
                                               "browser-setup",
                                               "registry",
                                               "software",
                                               "registry-unfinished",
                                               "copy",
                                               "software-other-version",
                                               "copy-downloaded",
                                               "registry-unfinished",
                                               "registry"};
    EXPECT_EQ(journal.Names(), expected);
    ASSERT_EQ(page.entries.size(), 2u);
    EXPECT_EQ(page.entries[0].message, test::Step::InstallBegins);
    EXPECT_EQ(page.entries[0].text, "software");
    EXPECT_EQ(page.entries[1].message, test::Step::RunFinished);
    for (const auto& entry : page.entries) EXPECT_EQ(entry.thread, std::this_thread::get_id());
    ExpectComBalancedOnTheWorker();
}

struct StatusCase {
    TaskStatus status;
    std::vector<std::string> executed;
};

void PrintTo(const StatusCase& testCase, std::ostream* out) {
    *out << "status " << static_cast<int>(testCase.status);
}

class TaskProcessorStatusTest : public TaskProcessorTest,
                                public ::testing::WithParamInterface<StatusCase> {};

// Tasks that keep their status: only status 3 counts as done, and the last
// pass runs registry tasks whatever their status.
TEST_P(TaskProcessorStatusTest, EveryKindRunsInItsPassesUnlessInstalled) {
    for (const auto& [kind, name] : {std::pair{TaskKind::CopyFile, "copy"},
                                     {TaskKind::Certificate, "certificate"},
                                     {TaskKind::Software, "software"},
                                     {TaskKind::Registry, "registry"},
                                     {TaskKind::BrowserSetup, "browser-setup"},
                                     {TaskKind::Browser, "browser"}}) {
        Add(kind, name, GetParam().status)->marksInstalled = false;
    }

    EXPECT_EQ(RunToEnd(), std::nullopt);

    EXPECT_EQ(journal.Names(), GetParam().executed);
}

const std::vector<std::string> kAllPasses = {"certificate", "registry", "browser-setup",
                                             "browser",                              // first pass
                                             "copy",        "software", "registry",  // second pass
                                             "registry"};                            // last pass

INSTANTIATE_TEST_SUITE_P(
    Statuses, TaskProcessorStatusTest,
    ::testing::Values(StatusCase{TaskStatus::NotInstalled, kAllPasses},
                      StatusCase{TaskStatus::Downloaded, kAllPasses},
                      StatusCase{TaskStatus::InstalledOtherVersion, kAllPasses},
                      StatusCase{TaskStatus::Failed, kAllPasses},
                      StatusCase{TaskStatus::Installed, {"registry"}}),
    [](const auto& testCase) { return std::to_string(static_cast<int>(testCase.param.status)); });

struct FailureCase {
    const char* label;
    std::function<void()> fail;
    const char* outcome;  // UTF-8
};

void PrintTo(const FailureCase& testCase, std::ostream* out) { *out << testCase.label; }

class TaskProcessorFailureTest : public TaskProcessorTest,
                                 public ::testing::WithParamInterface<FailureCase> {};

TEST_P(TaskProcessorFailureTest, FailingCertificateStopsTheRunBeforeAnySoftware) {
    auto software = Add(TaskKind::Software, "software");
    auto certificate = Add(TaskKind::Certificate, "certificate");
    auto registry = Add(TaskKind::Registry, "registry");
    auto copy = Add(TaskKind::CopyFile, "copy");
    certificate->step = [](Progress&, const std::atomic<bool>&) { GetParam().fail(); };

    EXPECT_EQ(RunToEnd(), GetParam().outcome);

    EXPECT_EQ(journal.Names(), std::vector<std::string>{"certificate"});
    EXPECT_EQ(certificate->status, TaskStatus::Failed);
    for (const auto& untouched : {software, registry, copy}) {
        EXPECT_EQ(untouched->status, TaskStatus::NotInstalled) << untouched->name;
    }
    ASSERT_EQ(page.entries.size(), 2u);
    EXPECT_EQ(page.entries[0].message, test::Step::TaskFinished);
    EXPECT_EQ(page.entries[0].task, certificate.get());
    EXPECT_EQ(page.entries[0].taskStatus, TaskStatus::Failed);
    EXPECT_EQ(page.entries[1].message, test::Step::RunFinished);
    ExpectComBalancedOnTheWorker();
}

INSTANTIATE_TEST_SUITE_P(
    Exceptions, TaskProcessorFailureTest,
    ::testing::Values(
        FailureCase{"RuntimeError",
                    [] { throw std::runtime_error(Utf8ToCp1251("Сертификат «Корень» не найден")); },
                    "Сертификат «Корень» не найден"},
        FailureCase{"LogicError", [] { throw std::logic_error("defect"); },
                    "Непредвиденная ошибка"},
        FailureCase{"NotAnException", [] { throw 42; }, "Непредвиденная ошибка"}),
    [](const auto& testCase) { return std::string(testCase.param.label); });

TEST_F(TaskProcessorTest, FailureInTheSoftwarePassSkipsTheLastRegistryPass) {
    Add(TaskKind::Registry, "registry");
    Add(TaskKind::Software, "software")->step = [](Progress&, const std::atomic<bool>&) {
        throw std::runtime_error("installer failed");
    };
    Add(TaskKind::CopyFile, "copy");

    EXPECT_EQ(RunToEnd(), "installer failed");

    EXPECT_EQ(journal.Names(), (std::vector<std::string>{"registry", "software"}));
}

TEST_F(TaskProcessorTest, CancelDuringADownloadLetsTheRemainingTasksRun) {
    Add(TaskKind::Certificate, "certificate");
    auto download = Add(TaskKind::Software, "download");
    Add(TaskKind::Software, "software");
    Add(TaskKind::Registry, "registry", TaskStatus::Installed);
    bool sawCancel = false;
    download->marksInstalled = false;
    download->step = [&](Progress& progress, const std::atomic<bool>& cancelFlag) {
        progress.DownloadBegins("download");
        sawCancel = WaitForCancel(cancelFlag);
    };
    TaskProcessor processor(channel, com);
    page.beforeHandling = [&](test::Step message) {
        if (message == test::Step::DownloadBegins) processor.cancelFlag = true;
    };

    ASSERT_TRUE(processor.Start(InstallPlan({}, tasks)));
    page.RunUntilFinished(channel);

    EXPECT_TRUE(sawCancel);
    EXPECT_EQ(journal.Names(),
              (std::vector<std::string>{"certificate", "download", "software", "registry"}));
    EXPECT_EQ(page.entries.back().text, "Отменено пользователем");
    EXPECT_EQ(page.entries.size(), 2u);  // no task was marked failed
}

TEST_F(TaskProcessorTest, ComThatCannotBeInitializedIsNotUninitialized) {
    com.FailInitialize();
    Add(TaskKind::Registry, "registry");

    EXPECT_EQ(RunToEnd(), std::nullopt);

    const auto calls = com.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(calls[0].initialize);
}

// Shutdown: the destructor must return although the worker is busy, and the
// worker must be gone when it does.

TEST_F(TaskProcessorTest, DestroyingTheProcessorStopsATaskPollingTheFlag) {
    Latch polling;
    bool sawCancel = false;
    auto download = Add(TaskKind::Software, "download");
    download->marksInstalled = false;
    download->step = [&](Progress&, const std::atomic<bool>& cancelFlag) {
        polling.Open();
        sawCancel = WaitForCancel(cancelFlag);
    };
    Add(TaskKind::Registry, "registry");
    {
        TaskProcessor processor(channel, com);
        ASSERT_TRUE(processor.Start(InstallPlan({}, tasks)));
        polling.Wait();
        channel.Detach();  // as the page that ends does first: the run's end waits for it
    }
    EXPECT_TRUE(sawCancel);
    EXPECT_EQ(journal.Names(), (std::vector<std::string>{"registry", "download", "registry"}));
    ExpectComBalancedOnTheWorker();
}

TEST_F(TaskProcessorTest, APageThatDetachesReleasesAWorkerWaitingForIt) {
    bool returned = false;
    Add(TaskKind::Software, "download")->step = [&](Progress& progress, const std::atomic<bool>&) {
        progress.DownloadBegins("download");
        returned = true;
    };
    Add(TaskKind::CopyFile, "copy");
    {
        TaskProcessor processor(channel, com);
        ASSERT_TRUE(processor.Start(InstallPlan({}, tasks)));
        page.wakes.WaitForWake();  // and never deliver
        channel.Detach();          // as a page that ends does, before its processor goes
    }
    EXPECT_TRUE(returned);
    EXPECT_EQ(journal.Names(), (std::vector<std::string>{"download", "copy"}));
    EXPECT_TRUE(page.entries.empty());
    ExpectComBalancedOnTheWorker();
}

TEST_F(TaskProcessorTest, DetachedPageGetsNothingMoreWhileTheRunGoesOn) {
    Latch entered;
    Latch release;
    Add(TaskKind::Software, "installer")->step = [&](Progress& progress, const std::atomic<bool>&) {
        entered.Open();
        release.Wait();
        progress.InstallBegins("installer");
    };
    Add(TaskKind::Registry, "registry", TaskStatus::Installed);
    {
        TaskProcessor processor(channel, com);
        ASSERT_TRUE(processor.Start(InstallPlan({}, tasks)));
        entered.Wait();
        EXPECT_FALSE(processor.WaitForEnd(0ms));
        channel.Detach();
        release.Open();
        EXPECT_TRUE(processor.WaitForEnd(kPatience));
        EXPECT_FALSE(processor.cancelFlag);
    }
    EXPECT_TRUE(page.entries.empty());
    EXPECT_EQ(page.wakes.Count(), 0);
    EXPECT_EQ(journal.Names(), (std::vector<std::string>{"installer", "registry"}));
    ExpectComBalancedOnTheWorker();
}

}  // namespace
}  // namespace velk
