#pragma once

#include <atomic>
#include <string>

#include "app/command_line.h"
#include "app/run_report.h"
#include "engine/run_context.h"
#include "platform/platform.h"
#include "platform/ui.h"

namespace velk {

class Shutdown;

// The platform's questions in a run without pages: nobody is there to answer,
// so none is ever shown.
class SilentUi final : public Ui {
  public:
    int MessageBox(WindowHandle, std::string_view, std::string_view, std::uint32_t,
                   std::uint32_t) override {
        return kIdCancel;
    }
};

// A run without pages, for scripts and deployment tools: /list prints the
// sites, /check finds out what the chosen sites need, /quiet installs it as
// the pages would with their default choices. Everything it does goes to
// report. interrupted is set from outside (Ctrl-C, the console closing) and
// cancels the installation through the same flag as the page's button.
// Returns the exit code.
int RunUnattended(const CommandLine& line, Platform& platform, RunContext& run, RunReport& report,
                  Shutdown& shutdown, const std::atomic<bool>& interrupted);

}  // namespace velk
