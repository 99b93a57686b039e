#pragma once

#include <string>
#include <vector>

namespace velk {

// The switches of velk.exe. A switch starts with "/" or "-"; anything else,
// and unknown switches, are ignored.
//   local            read the configuration from "data" below the current folder
//   config-url=URL   fetch the configuration archive from URL
//   web-print        print the wizard window's address instead of opening it
struct CommandLine {
    bool local = false;
    std::string configUrl;
    bool webPrint = false;
};

// Parses the arguments after the program name.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

}  // namespace velk
