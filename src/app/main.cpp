// velk.exe: prepares the workstation for electronic signatures, one wizard
// page after the other in a browser window served from this process, or
// without pages from the command line (/quiet, /check, /list).
#include <atomic>
#include <ctime>
#include <exception>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/exit_code.h"
#include "app/run_log.h"
#include "app/run_report.h"
#include "app/unattended_run.h"
#include "app/wizard.h"
#include "app/work_folder.h"
#include "engine/run_context.h"
#include "lint/lint_command.h"
#include "platform/codepage.h"
#include "platform/trace.h"
#include "platform/web/web_dialog_host.h"
#include "platform/win32/win32_browser_window.h"
#include "platform/win32/win32_certificate_stores.h"
#include "platform/win32/win32_com.h"
#include "platform/win32/win32_console.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_internet.h"
#include "platform/win32/win32_private_files.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_resources.h"
#include "platform/win32/win32_shutdown.h"
#include "platform/win32/win32_system_info.h"
#include "platform/win32/win32_zones.h"

#ifndef VELK_VERSION
#error "VELK_VERSION names the program's version"
#endif

namespace {

velk::WebDialogHost::Texts AboutTexts() {
    return {"О программе...",
            "О программе",
            "Программный комплекс «Тивран»",
            "Мастер настройки рабочего места для электронной подписи",
            "velk.example.invalid",
            "https://velk.example.invalid/"};
}

// The system's temporary folder with its separator; empty when it has none.
std::string TempFolder(velk::SystemInfo& system) {
    char path[velk::kMaxPath];
    const std::uint32_t length = system.GetTempPath(velk::kMaxPath, path);
    return length == 0 || length > velk::kMaxPath ? std::string() : std::string(path, length);
}

std::string Joined(const std::vector<std::string>& arguments) {
    std::string text;
    for (const auto& argument : arguments) text += (text.empty() ? "" : " ") + argument;
    return text;
}

// The log of the run, made anew; null, after saying why, when it cannot be.
std::unique_ptr<velk::RunLog> OpenLog(const velk::CommandLine& line, velk::PrivateFiles& files,
                                      velk::SystemInfo& system, velk::Win32Console& console) {
    const std::string path = line.logPath.empty()
                                 ? velk::DefaultLogPath(TempFolder(system), std::time(nullptr))
                                 : velk::Utf8ToCp1251(line.logPath);
    try {
        return std::make_unique<velk::RunLog>(files, path, &velk::LocalTimeStamp);
    } catch (const std::runtime_error& error) {
        console.WriteLine("velk: " + velk::Cp1251ToUtf8(error.what()));
        return nullptr;
    }
}

int Run(const velk::CommandLine& line, const std::vector<std::string>& arguments,
        velk::Win32Console& console) {
    const bool unattended = line.mode != velk::RunMode::Pages;
    velk::RunContext run;
    run.localMode = line.local;
    run.configurationUrl = line.configUrl;
    run.machineCertificates = line.mode == velk::RunMode::Quiet;

    velk::Win32Com com;
    const velk::ComScope comScope(com);
    velk::Win32Registry registry;
    velk::Win32SystemInfo realSystem;
    velk::Win32Internet internet;
    velk::Win32Processes processes;
    velk::Win32Zones zones;
    velk::Win32CertificateStores certificates;
    velk::Win32Files files;
    velk::Win32Resources resources;
    velk::Win32Shutdown shutdown;
    velk::Win32PrivateFiles privateFiles;

    const std::unique_ptr<velk::RunLog> log = OpenLog(line, privateFiles, realSystem, console);
    if (!log && unattended) return velk::kExitLogFailed;
    const auto toLog = [&log](std::string_view text) {
        if (log) log->Line(text);
    };
    const auto toConsole = [&console](std::string_view text) { console.WriteLine(text); };
    velk::RunReport report(unattended ? velk::RunReport::LineSink(toConsole) : nullptr, toLog,
                           velk::RunsAsLocalSystem());
    report.Detail("velk " VELK_VERSION ", командная строка: " + Joined(arguments));
    report.Machine(realSystem);
    for (const auto& ignored : line.ignored) report.Detail("Ключ пропущен: " + ignored);
    if (!line.error.empty()) report.Detail("Ошибка командной строки пропущена: " + line.error);
    if (line.trace) {
        velk::SetTraceSink([&](std::string_view traced) {
            const std::string text = velk::Cp1251ToUtf8(traced);
            console.WriteLine(text);
            toLog(text);
        });
        velk::EnableTrace(true);
    }

    int code = velk::kExitInstallFailed;
    {
        // Everything fetched lives in this run's own folder, gone at the end.
        const velk::WorkFolder workFolder(privateFiles, realSystem);
        velk::WorkFolderSystemInfo system(realSystem, workFolder);
        if (unattended) {
            velk::SilentUi ui;
            velk::Platform platform{registry, system, internet,     processes, com,
                                    ui,       zones,  certificates, files,     privateFiles};
            std::atomic<bool> interrupted{false};
            console.OnInterrupt([&interrupted] { interrupted = true; });
            code = velk::RunUnattended(line, platform, run, report, shutdown, interrupted);
        } else {
            velk::WebDialogHost host(resources, AboutTexts(), [&](const std::string& url) {
                if (line.webPrint || !velk::OpenBrowserWindow(url)) {
                    console.WriteLine("velk: the wizard is at " + url);
                }
            });
            velk::Platform platform{registry, system, internet,     processes, com,
                                    host,     zones,  certificates, files,     privateFiles};
            velk::Wizard wizard(host, platform, shutdown, run, report);
            wizard.RunWelcome();
            code = velk::ExitCodeFor(wizard.end());
        }
    }
    velk::SetTraceSink(nullptr);
    report.Detail("Код завершения: " + std::to_string(code));
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    velk::Win32Console console;
    // The configuration checker for authors on Windows: no window, no wizard.
    if (argc > 1 && (std::string(argv[1]) == "/lint" || std::string(argv[1]) == "-lint")) {
        return velk::RunLint(std::vector<std::string>(argv + 2, argv + argc), std::cout, std::cerr);
    }
    const std::vector<std::string> arguments = velk::Utf8Arguments();
    const velk::CommandLine line = velk::ParseCommandLine(arguments);
    if (line.mode == velk::RunMode::Help) {
        console.WriteLine(velk::UsageText());
        return velk::kExitDone;
    }
    if (line.mode != velk::RunMode::Pages && !line.error.empty()) {
        console.WriteLine("velk: " + line.error + " (velk.exe /? выводит справку)");
        return velk::kExitBadCommandLine;
    }
    try {
        return Run(line, arguments, console);
    } catch (const std::exception& e) {
        // Everything the run meets it reports on its pages or its console;
        // this is the last resort for a failure before either exists.
        console.WriteLine("velk: " + velk::Cp1251ToUtf8(e.what()));
        return velk::kExitInstallFailed;
    }
}
