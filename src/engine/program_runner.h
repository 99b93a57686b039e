#pragma once

#include <atomic>
#include <string>

#include "engine/job_context.h"
#include "platform/processes.h"

namespace velk {

// Set once an installer has ended with 3010 (success, restart required) and
// never cleared for the rest of the run: a later installer that ends with 0
// does not make the restart unnecessary. Written on the worker thread, read
// on the user-interface thread.
extern std::atomic<bool> rebootRequired;

// Runs a packet's installer: the first "FILENAME" in commandLine becomes
// dstUrl, in quotes when it holds a blank and the configuration has not
// quoted it, the program is started and waited for. True when
// it ended with 0 or 3010; otherwise false with context.message set. Takes
// the packet's CommandLine and DstUrl rather than the packet itself, since
// the packet belongs to the task layer above this one.
bool RunPacketCommand(Processes& processes, const std::string& commandLine,
                      const std::string& dstUrl, JobContext& context);

}  // namespace velk
