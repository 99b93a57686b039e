#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace velk::test {

// Longer than any of these tests takes under sanitizers or Wine.
inline constexpr std::chrono::seconds kPatience{60};

// Turns a hang of the code under test into a failed run instead of a stuck
// one: aborts when the object lives longer than kPatience.
class Watchdog {
  public:
    Watchdog() : name_(::testing::UnitTest::GetInstance()->current_test_info()->name()) {
        thread_ = std::thread([this] {
            std::unique_lock lock(mutex_);
            if (!changed_.wait_for(lock, kPatience, [this] { return done_; })) {
                std::fprintf(stderr, "%s hangs\n", name_.c_str());
                std::abort();
            }
        });
    }
    ~Watchdog() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

  private:
    std::string name_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool done_ = false;
    std::thread thread_;
};

// Opened once by one thread, waited for by others.
class Latch {
  public:
    void Open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    void Wait() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return open_; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
};

// The wake-ups a page channel posts to the page's loop, for a test that plays
// that loop.
class WakeSignal {
  public:
    std::function<void()> Wake() {
        return [this] {
            std::lock_guard lock(mutex_);
            ++wakes_;
            changed_.notify_all();
        };
    }
    // Waits for a wake this loop has not seen yet.
    void WaitForWake() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return wakes_ > seen_; });
        seen_ = wakes_;
    }
    int Count() {
        std::lock_guard lock(mutex_);
        return wakes_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int wakes_ = 0;
    int seen_ = 0;
};

}  // namespace velk::test
