#include "platform/trace.h"

#include <atomic>
#include <cstdio>

namespace velk {
namespace {
std::atomic<bool> traceEnabled{false};
}

void EnableTrace(bool enabled) { traceEnabled = enabled; }

bool TraceEnabled() { return traceEnabled; }

void Trace(std::string_view line) {
    if (!traceEnabled) return;
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace velk
