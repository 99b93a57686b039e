// velk.exe: prepares the workstation for electronic signatures, one wizard
// page after the other in a browser window served from this process.
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/wizard.h"
#include "app/work_folder.h"
#include "engine/run_context.h"
#include "lint/lint_command.h"
#include "platform/codepage.h"
#include "platform/web/web_dialog_host.h"
#include "platform/win32/win32_browser_window.h"
#include "platform/win32/win32_certificate_stores.h"
#include "platform/win32/win32_com.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_internet.h"
#include "platform/win32/win32_private_files.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_resources.h"
#include "platform/win32/win32_shutdown.h"
#include "platform/win32/win32_system_info.h"
#include "platform/win32/win32_zones.h"

namespace {

velk::WebDialogHost::Texts AboutTexts() {
    return {"О программе...",
            "О программе",
            "Программный комплекс «Тивран»",
            "Мастер настройки рабочего места для электронной подписи",
            "velk.example.invalid",
            "https://velk.example.invalid/"};
}

int Run(const velk::CommandLine& line) {
    velk::RunContext run;
    run.localMode = line.local;
    run.configurationUrl = line.configUrl;

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
    // Everything fetched lives in this run's own folder, gone at the end.
    const velk::WorkFolder workFolder(privateFiles, realSystem);
    velk::WorkFolderSystemInfo system(realSystem, workFolder);

    velk::WebDialogHost host(resources, AboutTexts(), [&line](const std::string& url) {
        if (line.webPrint || !velk::OpenBrowserWindow(url)) {
            std::printf("velk: the wizard is at %s\n", url.c_str());
            std::fflush(stdout);
        }
    });
    velk::Platform platform{registry, system, internet,     processes, com,
                            host,     zones,  certificates, files,     privateFiles};
    velk::RunReport report(nullptr, nullptr, false);
    velk::Wizard wizard(host, platform, shutdown, run, report);
    wizard.RunWelcome();
    return velk::ExitCodeFor(wizard.end());
}

}  // namespace

int main(int argc, char** argv) {
    // The configuration checker for authors on Windows: no window, no wizard.
    if (argc > 1 && (std::string(argv[1]) == "/lint" || std::string(argv[1]) == "-lint")) {
        return velk::RunLint(std::vector<std::string>(argv + 2, argv + argc), std::cout, std::cerr);
    }
    try {
        return Run(velk::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc)));
    } catch (const std::exception& e) {
        // Everything the wizard meets it reports on its pages; this is the
        // last resort for a failure before the window exists.
        std::fprintf(stderr, "velk: %s\n", velk::Cp1251ToUtf8(e.what()).c_str());
        return 1;
    }
}
