#pragma once

#include "app/exit_code.h"
#include "app/run_report.h"
#include "config/provider_list.h"
#include "engine/install_plan.h"
#include "engine/run_context.h"
#include "platform/html_dialog.h"
#include "platform/platform.h"

namespace velk {

class Shutdown;
struct TaskSet;

// The chain of the wizard's stages: each shows one page and runs the next
// stage only after its page ended with Next. A stage returns what the chain
// below it decided (1 to 4, 0 for anything else). The install plan is built
// on the way: the sites on the provider page, the packets on the packet page.
class Wizard {
  public:
    Wizard(HtmlDialogHost& host, Platform& platform, Shutdown& shutdown, RunContext& run,
           RunReport& report);

    int RunWelcome();
    int RunProviders();
    int RunComponents(const ProviderList& sites);
    int RunPackets(TaskSet& taskSet, InstallPlan& plan);
    int RunInstallation(TaskSet& taskSet, const InstallPlan& plan);
    int RunFinalStatus(const ProviderList& sites);

    // How the run ended so far, for the exit code.
    const RunEnd& end() const { return end_; }

  private:
    // A failed load of the tasks is told in a message box.
    void ShowLoadFailure(const TaskSet& taskSet);

    HtmlDialogHost& host_;
    Platform& platform_;
    Shutdown& shutdown_;
    RunContext& run_;
    RunReport& report_;
    RunEnd end_;
};

}  // namespace velk
