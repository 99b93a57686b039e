#pragma once

#include <atomic>
#include <string>

#include "engine/progress.h"

namespace velk {

// What a caller hands to a download or a program run: the message comes back
// with the Russian text of a failure; cancelFlag, progress and
// rebootRequired may be null.
struct JobContext {
    std::string message;
    const std::atomic<bool>* cancelFlag = nullptr;
    Progress* progress = nullptr;
    // The SHA-256 a download must have, in hexadecimal digits of either case;
    // empty when the configuration pins none.
    std::string sha256 = {};
    // Set when a program ends with 3010 (success, restart required).
    std::atomic<bool>* rebootRequired = nullptr;
};

}  // namespace velk
