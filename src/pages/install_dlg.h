#pragma once

#include <memory>

#include "engine/install_plan.h"
#include "engine/page_channel.h"
#include "engine/progress.h"
#include "engine/progress_tee.h"
#include "engine/task_processor.h"
#include "pages/html_list_dlg.h"

namespace velk {

class Com;

// The installation: carries out the plan on the task processor's worker and
// shows what it reports, a progress bar and, at the end, the way on.
class InstallDlg final : public HtmlPage, private Progress {
  public:
    // What the run does: nothing done yet, finished, failed, cancelled.
    enum class Outcome { None, Done, Failed, Cancelled };

    // record, when given, hears every report too (the run's log).
    InstallDlg(HtmlDialogHost& host, InstallPlan plan, Com& com, Progress* record = nullptr);
    // Cancels a run still going and waits for its worker.
    ~InstallDlg() override;

    Outcome outcome() const { return outcome_; }

  private:
    void OnDocumentComplete() override;
    void OnOk() override;
    void OnBack() override;
    void OnCancel() override;

    // The worker's reports, on the page's thread.
    void DownloadBegins(const std::string& item) override;
    void DownloadStarted(const std::string& url, std::uint64_t totalBytes) override;
    void DownloadAdvanced(std::uint64_t percent, std::uint64_t receivedBytes) override;
    void InstallBegins(const std::string& item) override;
    void TaskFinished(const InstallTask& task) override;
    void RunFinished(const std::string* failure) override;
    void SetStatus(const std::string& text);
    void SetButtons(const char* html);
    void HideProgress();

    InstallPlan plan_;
    Com& com_;
    Progress* record_;
    Outcome outcome_ = Outcome::None;
    bool nothingToDo_ = false;
    bool stopped_ = false;
    bool done_ = false;
    bool progressShown_ = false;
    // The worker reports through the channel, and to the record beside it.
    std::unique_ptr<PageChannel> channel_;
    std::unique_ptr<ProgressTee> tee_;
    std::unique_ptr<TaskProcessor> processor_;
    // Work the worker posted for this page is dropped once the page is gone.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace velk
