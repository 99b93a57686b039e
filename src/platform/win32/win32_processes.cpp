#include "platform/win32/win32_processes.h"

#include <windows.h>

#include <vector>

#include "platform/win32/win32_handles.h"

namespace velk {

ProcessRun Win32Processes::Run(const std::string& commandLine) {
    // CreateProcessA may write into the command line, so it gets a copy.
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    ProcessRun run;
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info)) {
        run.systemError = ::GetLastError();
        return run;
    }
    const Win32Handle process(info.hProcess);
    const Win32Handle thread(info.hThread);
    DWORD exitCode = 0;
    // After a failed wait the process may still run, and its "exit code"
    // would be STILL_ACTIVE.
    if (::WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0 ||
        !::GetExitCodeProcess(process.get(), &exitCode)) {
        run.outcome = ProcessOutcome::kNoExitCode;
        run.systemError = ::GetLastError();
        return run;
    }
    run.outcome = ProcessOutcome::kExited;
    run.exitCode = exitCode;
    return run;
}

}  // namespace velk
