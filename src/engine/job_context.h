#pragma once

#include <atomic>
#include <string>

#include "engine/page_sink.h"

namespace velk {

// What a caller hands to a download or a program run: the message comes back
// with the Russian text of a failure; cancelFlag and page may be null.
struct JobContext {
    std::string message;
    const std::atomic<bool>* cancelFlag = nullptr;
    PageSink* page = nullptr;
    // The SHA-256 a download must have, in hexadecimal digits of either case;
    // empty when the configuration pins none.
    std::string sha256 = {};
};

}  // namespace velk
