#pragma once

#include <string>
#include <vector>

namespace velk {

// What a run does: show the pages, or run without them.
enum class RunMode { Pages, Quiet, Check, List, Help };

// The switches of velk.exe, Windows fashion: "/name" or "-name", values as
// "/name=value". Arguments are UTF-8.
//   local            read the configuration from "data" below the current
//                    folder (exactly so, case-sensitive, as ever)
//   config-url=URL   fetch the configuration archive from URL
//   web-print        print the wizard window's address instead of opening it
//   quiet, check, list, sites=LIST, norestart, forcerestart, log=PATH,
//   trace, ?, help   case-insensitive; see UsageText
struct CommandLine {
    bool local = false;
    std::string configUrl;
    bool webPrint = false;
    RunMode mode = RunMode::Pages;
    std::string sites;          // the LIST of /sites=; empty when not given
    bool forceRestart = false;  // /forcerestart; /norestart is the default
    std::string logPath;        // empty: the default path
    bool trace = false;
    // Unknown switches and words that are no switch, as given: the run with
    // pages goes on without them and writes them to its log.
    std::vector<std::string> ignored;
    // Why the command line is wrong (Russian), naming the switch or value;
    // empty when it is fine. Only runs without pages stop for it.
    std::string error;
};

CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The usage for /? (Russian): every switch and every exit code.
std::string UsageText();

}  // namespace velk
