#pragma once

#include <functional>
#include <string_view>

namespace velk {

// Diagnostic traces: one line each on standard output, only while enabled
// (off unless the command line asks for them).
void EnableTrace(bool enabled);
bool TraceEnabled();
void Trace(std::string_view line);
// Where the lines go instead of standard output (the console and the log of
// a run); null goes back to standard output. Set before tracing starts.
void SetTraceSink(std::function<void(std::string_view line)> sink);

}  // namespace velk
