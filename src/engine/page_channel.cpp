#include "engine/page_channel.h"

#include <utility>

namespace velk {

PageChannel::PageChannel(PageSink& page, std::function<void()> wake)
    : page_(&page), wake_(std::move(wake)) {}

std::intptr_t PageChannel::Send(std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam) {
    std::unique_lock lock(mutex_);
    if (page_ == nullptr) return 0;
    pending_ = {message, wParam, lParam};
    state_ = State::Waiting;
    wake_();
    changed_.wait(lock, [this] {
        return state_ == State::Answered || (state_ == State::Waiting && page_ == nullptr);
    });
    const std::intptr_t result = state_ == State::Answered ? answer_ : 0;
    state_ = State::Idle;
    return result;
}

void PageChannel::Deliver() {
    std::unique_lock lock(mutex_);
    if (state_ != State::Waiting || page_ == nullptr) return;
    state_ = State::Handling;
    PageSink& page = *page_;
    const Message message = pending_;
    // Unlocked while the page handles the message: the handler may detach.
    lock.unlock();
    std::intptr_t result = 0;
    try {
        result = page.Send(message.message, message.wParam, message.lParam);
    } catch (...) {
        Answer(0);  // the worker must not wait for an answer that never comes
        throw;
    }
    Answer(result);
}

void PageChannel::Answer(std::intptr_t result) {
    std::lock_guard lock(mutex_);
    answer_ = result;
    state_ = State::Answered;
    changed_.notify_all();
}

void PageChannel::Detach() {
    std::lock_guard lock(mutex_);
    page_ = nullptr;
    changed_.notify_all();
}

}  // namespace velk
