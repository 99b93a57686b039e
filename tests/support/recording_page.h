#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/page_messages.h"
#include "engine/page_sink.h"

namespace velk::test {

// A page that keeps every message it is sent. Texts are copied while Send
// runs, since the sender's pointer is only valid until it returns.
class RecordingPage : public PageSink {
  public:
    struct Entry {
        std::uint32_t message;
        std::uintptr_t wParam;
        std::intptr_t lParam;
        std::string text;  // for the messages that carry a label
    };

    std::intptr_t Send(std::uint32_t message, std::uintptr_t wParam,
                       std::intptr_t lParam) override {
        const bool labelled = message == kMsgDownloadBegins || message == kMsgInstallBegins;
        entries.push_back(
            {message, wParam, lParam, labelled ? reinterpret_cast<const char*>(lParam) : ""});
        if (onMessage) onMessage(entries.back());
        return 0;
    }

    // The messages other than download progress, which depends on block sizes.
    std::vector<Entry> Steps() const {
        std::vector<Entry> steps;
        for (const auto& entry : entries) {
            if (entry.message != kMsgDownloadProgress) steps.push_back(entry);
        }
        return steps;
    }

    std::vector<Entry> entries;
    // Runs inside Send, e.g. to cancel at a given step.
    std::function<void(const Entry&)> onMessage;
};

}  // namespace velk::test
