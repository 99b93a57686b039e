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

#include "engine/page_messages.h"
#include "support/test_threads.h"

namespace velk {
namespace {

using test::Latch;
using test::WakeSignal;
using test::Watchdog;

// Every message of these tests carries a text in lParam; the page copies it
// while handling, as the installation page does.
class RecordingPage : public PageSink {
  public:
    struct Entry {
        std::uint32_t message;
        std::uintptr_t wParam;
        std::string text;
        std::thread::id thread;
    };

    std::intptr_t Send(std::uint32_t message, std::uintptr_t wParam,
                       std::intptr_t lParam) override {
        if (whileHandling) whileHandling(message);
        entries.push_back(
            {message, wParam, reinterpret_cast<const char*>(lParam), std::this_thread::get_id()});
        return 100 + static_cast<std::intptr_t>(entries.size());
    }

    std::vector<Entry> entries;
    std::function<void(std::uint32_t message)> whileHandling;
};

// Sends on a thread of its own; each text lives on the heap only for its
// Send, so a page that read it after Send returned would show under ASan.
class Worker {
  public:
    Worker(PageSink& channel, std::vector<std::string> texts)
        : thread_([this, &channel, texts] {
              for (std::size_t i = 0; i < texts.size(); ++i) {
                  auto text = std::make_unique<std::string>(texts[i]);
                  answers_.push_back(channel.Send(kMsgInstallBegins, i,
                                                  reinterpret_cast<std::intptr_t>(text->c_str())));
                  ++sent;
              }
          }) {}
    std::vector<std::intptr_t> Join() {
        thread_.join();
        return answers_;
    }

    std::atomic<int> sent = 0;

  private:
    std::vector<std::intptr_t> answers_;
    std::thread thread_;
};

class PageChannelTest : public ::testing::Test {
  protected:
    Watchdog watchdog;
    WakeSignal wakes;
    RecordingPage page;
    PageChannel channel{page, wakes.Wake()};
};

TEST_F(PageChannelTest, DeliversEachMessageOnThePageThreadAndHandsBackTheAnswer) {
    Worker worker(channel, {"первый", "второй", "третий"});
    while (page.entries.size() < 3) {
        wakes.WaitForWake();
        channel.Deliver();
    }

    EXPECT_EQ(worker.Join(), (std::vector<std::intptr_t>{101, 102, 103}));
    ASSERT_EQ(page.entries.size(), 3u);
    const char* texts[] = {"первый", "второй", "третий"};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(page.entries[i].message, kMsgInstallBegins);
        EXPECT_EQ(page.entries[i].wParam, i);
        EXPECT_EQ(page.entries[i].text, texts[i]);
        EXPECT_EQ(page.entries[i].thread, std::this_thread::get_id());
    }
    EXPECT_EQ(wakes.Count(), 3);
    channel.Deliver();  // nothing waits: the page gets nothing more
    EXPECT_EQ(page.entries.size(), 3u);
}

TEST_F(PageChannelTest, DetachReleasesAWaitingSenderAndDropsLaterMessages) {
    Worker worker(channel, {"ждёт", "после"});
    wakes.WaitForWake();  // the first message waits; the page never takes it
    channel.Detach();

    EXPECT_EQ(worker.Join(), (std::vector<std::intptr_t>{0, 0}));
    channel.Deliver();
    EXPECT_TRUE(page.entries.empty());
    EXPECT_EQ(wakes.Count(), 1);  // the dropped message woke no page
}

TEST_F(PageChannelTest, DetachWithinTheHandlerLetsTheHandlerFinishFirst) {
    Worker worker(channel, {"в работе", "после"});
    page.whileHandling = [&](std::uint32_t) {
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

    EXPECT_EQ(worker.Join(), (std::vector<std::intptr_t>{101, 0}));
    ASSERT_EQ(page.entries.size(), 1u);
    EXPECT_EQ(page.entries[0].text, "в работе");
    EXPECT_EQ(wakes.Count(), 1);
}

TEST_F(PageChannelTest, HandlerExceptionReachesThePageLoopAndReleasesTheSender) {
    Worker worker(channel, {"сбой", "дальше"});
    int handled = 0;
    page.whileHandling = [&](std::uint32_t) {
        if (handled++ == 0) throw std::runtime_error("page defect");
    };
    wakes.WaitForWake();
    EXPECT_THROW(channel.Deliver(), std::runtime_error);
    wakes.WaitForWake();
    channel.Deliver();

    EXPECT_EQ(worker.Join(), (std::vector<std::intptr_t>{0, 101}));
    ASSERT_EQ(page.entries.size(), 1u);
    EXPECT_EQ(page.entries[0].text, "дальше");
}

}  // namespace
}  // namespace velk
