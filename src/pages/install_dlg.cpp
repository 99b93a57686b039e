#include "pages/install_dlg.h"

#include "engine/page_messages.h"
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

InstallDlg::InstallDlg(HtmlDialogHost& host, TaskList tasks, Com& com)
    : HtmlPage(host, VELK_PAGE_INSTALL), tasks_(std::move(tasks)), com_(com) {}

InstallDlg::~InstallDlg() {
    *alive_ = false;
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
    nothingToDo_ = NothingToInstall(tasks_);
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

    processor_ = std::make_unique<TaskProcessor>(
        static_cast<PageSink&>(*this),
        [this, alive = alive_] {
            host().Post([this, alive] {
                if (*alive) processor_->DeliverMessages();
            });
        },
        com_);
    if (!processor_->Start(tasks_)) {
        host().MessageBox(kNoOwner, processor_->message(), Utf8ToCp1251("Ошибка"), kMbOk,
                          kMbIconError);
    }
}

std::intptr_t InstallDlg::Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    const char* text = reinterpret_cast<const char*>(lParam);
    switch (message) {
        case kMsgDownloadProgress:
            // wParam 0 starts a download's bar at 0; otherwise it is the
            // percentage, which moves only a bar that is shown: a report that
            // arrives after the page hid the bar does not bring it back.
            if (wParam == 0 && !stopped_) progressShown_ = true;
            if (progressShown_) host().SetProgress(true, static_cast<int>(wParam));
            break;
        case kMsgDownloadBegins:
            SetStatus(Utf8ToCp1251("Загрузка ") + text + "...");
            break;
        case kMsgInstallBegins:
            SetStatus(Utf8ToCp1251("Установка ") + text + "...");
            break;
        case kMsgTaskFinished:
            HideProgress();
            break;
        case kMsgRunFinished:
            EndOfRun(text);
            break;
        default:
            break;
    }
    return 0;
}

void InstallDlg::EndOfRun(const char* outcome) {
    done_ = true;
    if (outcome != nullptr) {
        SetStatus(Utf8ToCp1251("Ошибка в процессе установки: ") + outcome);
        nothingToDo_ = false;
        stopped_ = true;
    } else {
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
    if (!stopped_ && !NothingToInstall(tasks_)) {
        if (!ConfirmExit()) return;
        if (processor_) {
            // The worker stops at its next check of the flag; its reports keep
            // arriving meanwhile, so the page does not wait for it here.
            processor_->cancelFlag = true;
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
