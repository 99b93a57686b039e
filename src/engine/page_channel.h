#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

#include "engine/page_sink.h"

namespace velk {

// Carries a worker's synchronous messages to the page on the page's own
// thread. Send waits while the page's event loop, woken by `wake`, hands the
// message to the page in Deliver. The waiting happens here rather than in the
// page so that Detach can always release the worker: a message the page has
// not taken yet is answered with 0, and every later Send returns 0 at once. A
// message the page is handling keeps the worker waiting until the handler
// returns, since its text may live on the worker's stack. One sender at a time.
class PageChannel final : public PageSink {
  public:
    // wake runs on the sending thread with the channel locked, so that no wake
    // reaches a page after Detach returned: it must only post to the page's
    // loop, never call Deliver itself.
    PageChannel(PageSink& page, std::function<void()> wake);

    std::intptr_t Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    // On the page's thread: hands the waiting message, if any, to the page. An
    // exception of the page's handler passes on; the sender then gets 0.
    void Deliver();
    // Never waits for the page, so a page may detach from within a handler or
    // while the worker waits for it.
    void Detach();

  private:
    enum class State { Idle, Waiting, Handling, Answered };
    struct Message {
        std::uint32_t message;
        std::uintptr_t wParam;
        std::intptr_t lParam;
    };

    void Answer(std::intptr_t result);

    std::mutex mutex_;
    std::condition_variable changed_;
    PageSink* page_;
    std::function<void()> wake_;
    State state_ = State::Idle;
    Message pending_{};
    std::intptr_t answer_ = 0;
};

}  // namespace velk
