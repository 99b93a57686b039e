#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "engine/progress.h"

namespace velk {

// Carries a worker's reports to the page on the page's own thread. Each
// report waits while the page's event loop, woken by `wake`, hands it to the
// page in Deliver. The waiting happens here rather than in the page so that
// Detach can always release the worker: a report the page has not taken yet
// is dropped, and every later one at once. A report the page is handling
// keeps the worker waiting until the handler returns, since its texts may
// live on the worker's stack. One sender at a time.
class PageChannel final : public Progress {
  public:
    // wake runs on the sending thread with the channel locked, so that no wake
    // reaches a page after Detach returned: it must only post to the page's
    // loop, never call Deliver itself.
    PageChannel(Progress& page, std::function<void()> wake);

    void DownloadBegins(const std::string& item) override;
    void DownloadStarted(const std::string& url, std::uint64_t totalBytes) override;
    void DownloadAdvanced(std::uint64_t percent, std::uint64_t receivedBytes) override;
    void InstallBegins(const std::string& item) override;
    void TaskFinished(const InstallTask& task) override;
    void RunFinished(const std::string* failure) override;

    // On the page's thread: hands the waiting report, if any, to the page. An
    // exception of the page's handler passes on; the sender then goes on.
    void Deliver();
    // Never waits for the page, so a page may detach from within a handler or
    // while the worker waits for it.
    void Detach();

  private:
    enum class State { Idle, Waiting, Handling, Answered };
    using Report = std::function<void(Progress&)>;

    // Waits until the page has handled report, or has detached; false when
    // the report was dropped.
    bool Carry(const Report& report);
    void Answer();

    std::mutex mutex_;
    std::condition_variable changed_;
    Progress* page_;
    std::function<void()> wake_;
    State state_ = State::Idle;
    const Report* pending_ = nullptr;
};

}  // namespace velk
