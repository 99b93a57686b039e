#pragma once

#include <string>

#include "engine/job_context.h"
#include "platform/processes.h"

namespace velk {

// Runs a packet's installer: the first "FILENAME" in commandLine becomes
// dstUrl, in quotes when it holds a blank and the configuration has not
// quoted it, the program is started and waited for. True when
// it ended with 0 or 3010 (which sets *context.rebootRequired); otherwise
// false with context.message set. The command line and the outcome go to
// context.progress. Takes
// the packet's CommandLine and DstUrl rather than the packet itself, since
// the packet belongs to the task layer above this one.
bool RunPacketCommand(Processes& processes, const std::string& commandLine,
                      const std::string& dstUrl, JobContext& context);

}  // namespace velk
