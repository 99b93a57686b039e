#pragma once

#include <string_view>

namespace velk {

// Diagnostic traces: one line each on standard output, only while enabled
// (off unless the command line asks for them).
void EnableTrace(bool enabled);
bool TraceEnabled();
void Trace(std::string_view line);

}  // namespace velk
