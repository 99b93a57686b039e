#include "engine/program_runner.h"

#include <cstdint>
#include <string_view>

#include "platform/codepage.h"

namespace velk {
namespace {

constexpr std::string_view kPlaceholder = "FILENAME";
constexpr std::uint32_t kExitRebootRequired = 3010;  // ERROR_SUCCESS_REBOOT_REQUIRED

const std::string& NotStartedText() {
    static const std::string text = Utf8ToCp1251("Ошибка при запуске программы");
    return text;
}

const std::string& NoExitCodeText() {
    static const std::string text = Utf8ToCp1251("Ошибка при  выполнение программы");
    return text;
}

const std::string& ExitCodeText() {
    static const std::string text =
        Utf8ToCp1251("Программа вернула значение отличное от нуля. Код ошибки: ");
    return text;
}

}  // namespace

bool RunPacketCommand(Processes& processes, const std::string& commandLine,
                      const std::string& dstUrl, JobContext& context) {
    std::string line = commandLine;
    if (const auto at = line.find(kPlaceholder); at != std::string::npos) {
        const std::size_t end = at + kPlaceholder.size();
        const bool quoted = at > 0 && line[at - 1] == '"' && end < line.size() && line[end] == '"';
        // A blank would end the path, and the rest would become arguments
        // or, first on the line, another program.
        const bool needsQuotes = !quoted && dstUrl.find(' ') != std::string::npos;
        line.replace(at, kPlaceholder.size(), needsQuotes ? '"' + dstUrl + '"' : dstUrl);
    }
    Progress* progress = context.progress;
    if (progress != nullptr) progress->ProgramStarts(line);
    const ProcessRun run = processes.Run(line);
    if (run.outcome != ProcessOutcome::kExited) {
        if (progress != nullptr) progress->ProgramFailed(run.systemError);
        context.message =
            run.outcome == ProcessOutcome::kNotStarted ? NotStartedText() : NoExitCodeText();
        return false;
    }
    if (progress != nullptr) progress->ProgramEnded(run.exitCode);
    if (run.exitCode == kExitRebootRequired && context.rebootRequired != nullptr) {
        *context.rebootRequired = true;
    }
    if (run.exitCode != 0 && run.exitCode != kExitRebootRequired) {
        context.message = ExitCodeText() + std::to_string(run.exitCode);
        return false;
    }
    return true;
}

}  // namespace velk
