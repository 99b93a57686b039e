#pragma once

#include "config/provider_list.h"
#include "platform/html_dialog.h"
#include "platform/platform.h"

namespace velk {

class Shutdown;
struct TaskSet;

// The chain of the wizard's stages: each shows one page and runs the next
// stage only after its page ended with Next. A stage returns what the chain
// below it decided (1 to 4, 0 for anything else).
class Wizard {
  public:
    Wizard(HtmlDialogHost& host, Platform& platform, Shutdown& shutdown);

    int RunWelcome();
    int RunProviders();
    int RunComponents(const Provider& provider);
    int RunPackets(TaskSet& taskSet);
    int RunInstallation(TaskSet& taskSet);
    int RunFinalStatus(const Provider& provider);

  private:
    // A failed load of the tasks is told in a message box.
    void ShowLoadFailure(const TaskSet& taskSet);

    HtmlDialogHost& host_;
    Platform& platform_;
    Shutdown& shutdown_;
};

}  // namespace velk
