#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/processes.h"

namespace velk {

// Scripted programs. The program is picked out of the command line as the
// system does (a quoted path, or the text up to the first blank or tab);
// a program that is not listed does not start, like a missing one.
class FakeProcesses : public Processes {
  public:
    using Program = std::function<ProcessRun(const std::string& commandLine)>;

    ProcessRun Run(const std::string& commandLine) override;

    std::map<std::string, Program> programs;  // by name, exactly as the command line gives it
    std::vector<std::string> commandLines;    // every Run, started or not
};

// The program named at the start of commandLine, without its quotes.
std::string ProgramName(const std::string& commandLine);

// A program that ends with exitCode.
FakeProcesses::Program ExitsWith(std::uint32_t exitCode);

// A program whose exit code cannot be read.
FakeProcesses::Program ExitCodeUnreadable();

// The command interpreter as far as the tests use it: "/c exit N" ends with N
// taken as a 32-bit number, so negative numbers become large unsigned codes.
// Anything else throws, so that no test relies on what the fake does not model.
FakeProcesses::Program CommandInterpreter();

}  // namespace velk
