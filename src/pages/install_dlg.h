#pragma once

#include <memory>

#include "engine/page_sink.h"
#include "engine/task_processor.h"
#include "pages/html_list_dlg.h"

namespace velk {

class Com;

// The installation: runs the chosen tasks on the task processor's worker and
// shows what it reports, a progress bar and, at the end, the way on.
class InstallDlg final : public HtmlPage, private PageSink {
  public:
    InstallDlg(HtmlDialogHost& host, TaskList tasks, Com& com);
    // Cancels a run still going and waits for its worker.
    ~InstallDlg() override;

  private:
    void OnDocumentComplete() override;
    void OnOk() override;
    void OnBack() override;
    void OnCancel() override;

    // The worker's reports, on the page's thread.
    std::intptr_t Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    void EndOfRun(const char* outcome);
    void SetStatus(const std::string& text);
    void SetButtons(const char* html);
    void HideProgress();

    TaskList tasks_;
    Com& com_;
    bool nothingToDo_ = false;
    bool stopped_ = false;
    bool done_ = false;
    bool progressShown_ = false;
    std::unique_ptr<TaskProcessor> processor_;
    // Work the worker posted for this page is dropped once the page is gone.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace velk
