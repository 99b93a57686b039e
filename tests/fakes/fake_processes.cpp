#include "fakes/fake_processes.h"

#include <regex>
#include <stdexcept>

#include "platform/system_errors.h"

namespace velk {

std::string ProgramName(const std::string& commandLine) {
    if (!commandLine.empty() && commandLine.front() == '"') {
        const auto close = commandLine.find('"', 1);
        return commandLine.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    }
    return commandLine.substr(0, commandLine.find_first_of(" \t"));
}

ProcessRun FakeProcesses::Run(const std::string& commandLine) {
    commandLines.push_back(commandLine);
    const auto program = programs.find(ProgramName(commandLine));
    // As CreateProcessA fails for a program that is not there.
    if (program == programs.end())
        return {ProcessOutcome::kNotStarted, 0, static_cast<std::uint32_t>(kErrorFileNotFound)};
    return program->second(commandLine);
}

FakeProcesses::Program ExitsWith(std::uint32_t exitCode) {
    return [exitCode](const std::string&) { return ProcessRun{ProcessOutcome::kExited, exitCode}; };
}

FakeProcesses::Program ExitCodeUnreadable() {
    return [](const std::string&) { return ProcessRun{ProcessOutcome::kNoExitCode, 0}; };
}

FakeProcesses::Program CommandInterpreter() {
    return [](const std::string& commandLine) {
        static const std::regex exitCommand(R"re(^("[^"]*"|\S+)\s+/c\s+exit\s+(-?\d+)\s*$)re",
                                            std::regex::icase);
        std::smatch parts;
        if (!std::regex_match(commandLine, parts, exitCommand)) {
            throw std::logic_error("the fake command interpreter cannot run: " + commandLine);
        }
        const long long number = std::stoll(parts[2].str());
        return ProcessRun{ProcessOutcome::kExited, static_cast<std::uint32_t>(number)};
    };
}

}  // namespace velk
