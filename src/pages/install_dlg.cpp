#include "pages/install_dlg.h"

#include "pages/packet_select_dlg.h"
#include "pages/page_result.h"
#include "platform/codepage.h"
#include "resource_ids.h"

namespace velk {

namespace {

constexpr char kExitBar[] = "<input id=\"ButtonCancel\" type=\"button\" value=\"Выход\" />";
constexpr char kNextBar[] = "<input id=\"ButtonOK\" type=\"button\" value=\"Далее\" />";
constexpr char kBackNextBar[] =
    "<input id=\"ButtonBack\" type=\"button\" value=\"Назад\" /> <input id=\"ButtonOK\" "
    "type=\"button\" value=\"Далее\" />";

}  // namespace

InstallDlg::InstallDlg(HtmlDialogHost& host, InstallPlan plan, Com& com, Progress* record)
    : HtmlPage(host, VELK_PAGE_INSTALL), plan_(std::move(plan)), com_(com), record_(record) {}

InstallDlg::~InstallDlg() {
    *alive_ = false;
    // The worker may be waiting for this page: released first, then awaited.
    if (channel_) channel_->Detach();
    processor_.reset();
}

void InstallDlg::SetStatus(const std::string& text) { host().SetText("Status", text); }

void InstallDlg::HideProgress() {
    progressShown_ = false;
    host().SetProgress(false, 0);
}

void InstallDlg::SetButtons(const char* html) {
    host().SetInnerHtml("buttons", Utf8ToCp1251(html));
}

void InstallDlg::OnDocumentComplete() {
    // Closing the window ends the wizard without a question.
    host().SetAskBeforeLeaving(false);
    nothingToDo_ = NothingToInstall(plan_);
    if (nothingToDo_) {
        done_ = true;
        SetStatus(
            Utf8ToCp1251("Все компоненты либо установлены, либо не выбраны для инсталляции!"));
        SetButtons(kBackNextBar);
    } else {
        SetButtons(kExitBar);
    }
    HideProgress();
    if (nothingToDo_) return;

    channel_ = std::make_unique<PageChannel>(static_cast<Progress&>(*this), [this, alive = alive_] {
        host().Post([this, alive] {
            if (*alive) channel_->Deliver();
        });
    });
    Progress* worker = channel_.get();
    if (record_ != nullptr) {
        tee_ = std::make_unique<ProgressTee>(*channel_, *record_);
        worker = tee_.get();
    }
    processor_ = std::make_unique<TaskProcessor>(*worker, com_);
    if (!processor_->Start(plan_)) {
        outcome_ = Outcome::Failed;
        host().MessageBox(kNoOwner, processor_->message(), Utf8ToCp1251("Ошибка"), kMbOk,
                          kMbIconError);
    }
}

// A download's start shows its bar at 0; later reports move only a bar that
// is shown: one that arrives after the page hid the bar does not bring it back.
void InstallDlg::DownloadStarted(const std::string&, std::uint64_t) {
    if (!stopped_) progressShown_ = true;
    if (progressShown_) host().SetProgress(true, 0);
}

void InstallDlg::DownloadAdvanced(std::uint64_t percent, std::uint64_t) {
    if (progressShown_) host().SetProgress(true, static_cast<int>(percent));
}

void InstallDlg::DownloadBegins(const std::string& item) {
    SetStatus(Utf8ToCp1251("Загрузка ") + item + "...");
}

void InstallDlg::InstallBegins(const std::string& item) {
    SetStatus(Utf8ToCp1251("Установка ") + item + "...");
}

void InstallDlg::TaskFinished(const InstallTask&) { HideProgress(); }

void InstallDlg::RunFinished(const std::string* failure) {
    done_ = true;
    if (failure != nullptr) {
        SetStatus(Utf8ToCp1251("Ошибка в процессе установки: ") + *failure);
        nothingToDo_ = false;
        // A cancelled run reports its own text, and the page already said so.
        if (!stopped_) outcome_ = Outcome::Failed;
        stopped_ = true;
    } else {
        outcome_ = Outcome::Done;
        SetStatus(Utf8ToCp1251("Установка успешно произведена! Нажмите кнопку «Далее»"));
    }
    SetButtons(kNextBar);
}

void InstallDlg::OnOk() {
    if (done_ || !nothingToDo_) End(kPageNext);
}

// There is no way back from an installation: Back, offered when there was
// nothing to install, leaves the wizard.
void InstallDlg::OnBack() { End(kPageExit); }

void InstallDlg::OnCancel() {
    if (!stopped_ && !NothingToInstall(plan_)) {
        if (!ConfirmExit()) return;
        if (processor_) {
            // The worker stops at its next check of the flag; its reports keep
            // arriving meanwhile, so the page does not wait for it here.
            processor_->cancelFlag = true;
            outcome_ = Outcome::Cancelled;
            SetStatus(Utf8ToCp1251("Установка прервана пользователем"));
            stopped_ = true;
            SetButtons(kNextBar);
            HideProgress();
            return;
        }
    }
    End(kPageExit);
}

}  // namespace velk
