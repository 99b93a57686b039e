#include "engine/page_channel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "support/test_threads.h"

namespace velk {
namespace {

using test::Latch;
using test::WakeSignal;
using test::Watchdog;

// Every report of these tests carries a text; the page copies it while
// handling, as the installation page does.
class RecordingPage : public Progress {
  public:
    struct Entry {
        std::string text;
        std::thread::id thread;
    };

    void InstallBegins(const std::string& item) override {
        if (whileHandling) whileHandling();
        entries.push_back({item, std::this_thread::get_id()});
    }
    void DownloadBegins(const std::string&) override {}
    void DownloadStarted(const std::string&, std::uint64_t) override {}
    void DownloadAdvanced(std::uint64_t, std::uint64_t) override {}
    void TaskFinished(const InstallTask&) override {}
    void RunFinished(const std::string*) override {}

    std::vector<Entry> entries;
    std::function<void()> whileHandling;
};

// Reports on a thread of its own; each text lives on the heap only for its
// report, so a page that read it after the report returned would show under
// ASan.
class Worker {
  public:
    Worker(Progress& channel, std::vector<std::string> texts)
        : thread_([this, &channel, texts] {
              for (const auto& each : texts) {
                  auto text = std::make_unique<std::string>(each);
                  channel.InstallBegins(*text);
                  ++sent;
              }
          }) {}
    void Join() { thread_.join(); }

    std::atomic<int> sent = 0;

  private:
    std::thread thread_;
};

class PageChannelTest : public ::testing::Test {
  protected:
    Watchdog watchdog;
    WakeSignal wakes;
    RecordingPage page;
    PageChannel channel{page, wakes.Wake()};
};

TEST_F(PageChannelTest, DeliversEachReportOnThePageThread) {
    Worker worker(channel, {"первый", "второй", "третий"});
    while (page.entries.size() < 3) {
        wakes.WaitForWake();
        channel.Deliver();
    }

    worker.Join();
    ASSERT_EQ(page.entries.size(), 3u);
    const char* texts[] = {"первый", "второй", "третий"};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(page.entries[i].text, texts[i]);
        EXPECT_EQ(page.entries[i].thread, std::this_thread::get_id());
    }
    EXPECT_EQ(wakes.Count(), 3);
    channel.Deliver();  // nothing waits: the page gets nothing more
    EXPECT_EQ(page.entries.size(), 3u);
}

TEST_F(PageChannelTest, DetachReleasesAWaitingSenderAndDropsLaterReports) {
    Worker worker(channel, {"ждёт", "после"});
    wakes.WaitForWake();  // the first message waits; the page never takes it
    channel.Detach();

    worker.Join();
    channel.Deliver();
    EXPECT_TRUE(page.entries.empty());
    EXPECT_EQ(wakes.Count(), 1);  // the dropped message woke no page
}

TEST_F(PageChannelTest, DetachWithinTheHandlerLetsTheHandlerFinishFirst) {
    Worker worker(channel, {"в работе", "после"});
    page.whileHandling = [&] {
        channel.Detach();
        // Time for a sender wrongly released by Detach to return and free
        // the text the page is about to read. Bounded by the clock, not by a
        // count of yields: on a loaded machine each yield may give the core
        // away for milliseconds.
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
        while (worker.sent == 0 && std::chrono::steady_clock::now() < until) {
            std::this_thread::yield();
        }
        EXPECT_EQ(worker.sent, 0);
    };
    wakes.WaitForWake();
    channel.Deliver();

    worker.Join();
    ASSERT_EQ(page.entries.size(), 1u);
    EXPECT_EQ(page.entries[0].text, "в работе");
    EXPECT_EQ(wakes.Count(), 1);
}

TEST_F(PageChannelTest, HandlerExceptionReachesThePageLoopAndReleasesTheSender) {
    Worker worker(channel, {"сбой", "дальше"});
    int handled = 0;
    page.whileHandling = [&] {
        if (handled++ == 0) throw std::runtime_error("page defect");
    };
    wakes.WaitForWake();
    EXPECT_THROW(channel.Deliver(), std::runtime_error);
    wakes.WaitForWake();
    channel.Deliver();

    worker.Join();
    ASSERT_EQ(page.entries.size(), 1u);
    EXPECT_EQ(page.entries[0].text, "дальше");
}

}  // namespace
}  // namespace velk
