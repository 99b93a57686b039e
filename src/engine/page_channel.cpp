#include "engine/page_channel.h"

#include <utility>

namespace velk {

PageChannel::PageChannel(Progress& page, std::function<void()> wake)
    : page_(&page), wake_(std::move(wake)) {}

void PageChannel::DownloadBegins(const std::string& item) {
    Carry([&item](Progress& page) { page.DownloadBegins(item); });
}

void PageChannel::DownloadStarted(const std::string& url, std::uint64_t totalBytes) {
    Carry([&url, totalBytes](Progress& page) { page.DownloadStarted(url, totalBytes); });
}

void PageChannel::DownloadAdvanced(std::uint64_t percent, std::uint64_t receivedBytes) {
    Carry([=](Progress& page) { page.DownloadAdvanced(percent, receivedBytes); });
}

void PageChannel::InstallBegins(const std::string& item) {
    Carry([&item](Progress& page) { page.InstallBegins(item); });
}

void PageChannel::TaskFinished(const InstallTask& task) {
    Carry([&task](Progress& page) { page.TaskFinished(task); });
}

void PageChannel::RunFinished(const std::string* failure) {
    Carry([failure](Progress& page) { page.RunFinished(failure); });
}

bool PageChannel::Carry(const Report& report) {
    std::unique_lock lock(mutex_);
    if (page_ == nullptr) return false;
    pending_ = &report;
    state_ = State::Waiting;
    wake_();
    changed_.wait(lock, [this] {
        return state_ == State::Answered || (state_ == State::Waiting && page_ == nullptr);
    });
    const bool delivered = state_ == State::Answered;
    pending_ = nullptr;
    state_ = State::Idle;
    return delivered;
}

void PageChannel::Deliver() {
    std::unique_lock lock(mutex_);
    if (state_ != State::Waiting || page_ == nullptr) return;
    state_ = State::Handling;
    Progress& page = *page_;
    const Report& report = *pending_;
    // Unlocked while the page handles the report: the handler may detach.
    lock.unlock();
    try {
        report(page);
    } catch (...) {
        Answer();  // the worker must not wait for an answer that never comes
        throw;
    }
    Answer();
}

void PageChannel::Answer() {
    std::lock_guard lock(mutex_);
    state_ = State::Answered;
    changed_.notify_all();
}

void PageChannel::Detach() {
    std::lock_guard lock(mutex_);
    page_ = nullptr;
    changed_.notify_all();
}

}  // namespace velk
