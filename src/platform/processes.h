#pragma once

#include <cstdint>
#include <string>

namespace velk {

enum class ProcessOutcome {
    kNotStarted,  // CreateProcessA failed
    kNoExitCode,  // it started, but the wait or GetExitCodeProcess failed
    kExited,
};

struct ProcessRun {
    ProcessOutcome outcome = ProcessOutcome::kNotStarted;
    std::uint32_t exitCode = 0;  // only meaningful for kExited
    // The system's error code (GetLastError) when the program did not start
    // or its end could not be awaited; 0 otherwise.
    std::uint32_t systemError = 0;
};

// Running programs, as kernel32 does it.
class Processes {
  public:
    virtual ~Processes() = default;

    // CreateProcessA with no application name and commandLine (the system
    // picks the program out of it: a quoted path, or the text up to the first
    // blank, searched as usual), nothing inherited, creation flags 0, the
    // caller's environment and current directory; then waits for the process
    // to end without a time limit and reads its exit code.
    virtual ProcessRun Run(const std::string& commandLine) = 0;
};

}  // namespace velk
