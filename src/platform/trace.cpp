#include "platform/trace.h"

#include <atomic>
#include <cstdio>
#include <utility>

namespace velk {
namespace {
std::atomic<bool> traceEnabled{false};
std::function<void(std::string_view)> traceSink;
}  // namespace

void EnableTrace(bool enabled) { traceEnabled = enabled; }

bool TraceEnabled() { return traceEnabled; }

void SetTraceSink(std::function<void(std::string_view line)> sink) { traceSink = std::move(sink); }

void Trace(std::string_view line) {
    if (!traceEnabled) return;
    if (traceSink) {
        traceSink(line);
        return;
    }
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace velk
