#pragma once

#include <memory>
#include <string>
#include <vector>

#include "pages/html_page.h"
#include "tasks/task_set.h"

namespace velk {

class Shutdown;
class SystemInfo;

// The rows of the status list: the system, then every listed task with its
// state, and the packets of software offered in several variants.
std::string BuildStatusList(const TaskList& tasks, SystemInfo& system);

// What is present on the computer: an overview before the packets are chosen
// (canContinue) or the final state at the end of the wizard (finalMode).
class HtmlListDlg final : public HtmlPage {
  public:
    HtmlListDlg(HtmlDialogHost& host, TaskList tasks, SystemInfo& system, Shutdown& shutdown,
                RunContext& run);

    bool canContinue = false;
    bool finalMode = false;

    // Whether the user let the final page restart the computer.
    bool restartStarted() const { return restartStarted_; }

  private:
    void OnDocumentComplete() override;
    void OnOk() override;
    void OnBack() override;
    void OnCancel() override;

    // On the final page, while an installer's restart request stands.
    void OfferRestart();

    TaskList tasks_;
    SystemInfo& system_;
    Shutdown& shutdown_;
    RunContext& run_;
    bool restartStarted_ = false;
};

}  // namespace velk
