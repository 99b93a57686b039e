#include "app/wizard.h"

#include <memory>

#include "pages/hallo_dlg.h"
#include "pages/html_list_dlg.h"
#include "pages/install_dlg.h"
#include "pages/packet_select_dlg.h"
#include "pages/page_result.h"
#include "pages/provider_list_dlg.h"
#include "platform/codepage.h"
#include "platform/ui.h"
#include "tasks/task_set.h"

namespace velk {

namespace {

// Shows the page that make() builds, and while it still exists runs the
// following stage when the page ended with Next. The page comes again after
// Again, and after Back from the following stage; any other outcome of the
// following stage goes straight up the chain.
template <class Make, class Following>
int RunStageLoop(Make make, Following following) {
    int result = kPageNone;
    int next = kPageNone;
    do {
        const auto page = make();
        result = page->DoModal();
        next = result == kPageNext ? following(*page) : kPageNone;
    } while ((next == kPageBack && result == kPageNext) || result == kPageAgain);
    return next != kPageNone ? next : result;
}

}  // namespace

void Wizard::ShowLoadFailure(const TaskSet& taskSet) {
    platform_.ui.MessageBox(kNoOwner, taskSet.failure, Utf8ToCp1251("Ошибка"), kMbOk, kMbIconError);
}

Wizard::Wizard(HtmlDialogHost& host, Platform& platform, Shutdown& shutdown)
    : host_(host), platform_(platform), shutdown_(shutdown) {}

int Wizard::RunWelcome() {
    return RunStageLoop([this] { return std::make_unique<HtmlHalloDlg>(host_); },
                        [this](HtmlHalloDlg&) { return RunProviders(); });
}

int Wizard::RunProviders() {
    return RunStageLoop(
        [this] {
            return std::make_unique<ProviderListDlg>(host_, platform_.internet, platform_.system,
                                                     platform_.privateFiles);
        },
        [this](ProviderListDlg& page) { return RunComponents(MergeProviders(page.chosen())); });
}

int Wizard::RunComponents(const Provider& provider) {
    TaskSet taskSet;
    if (!LoadTaskSet(provider, taskSet, platform_)) {
        ShowLoadFailure(taskSet);
        return kPageExit;
    }
    int result = kPageNone;
    if (!taskSet.allInstalled) {
        result = RunStageLoop(
            [&] {
                auto page = std::make_unique<HtmlListDlg>(host_, taskSet.tasks, platform_.system,
                                                          shutdown_);
                page->canContinue = true;
                return page;
            },
            [&](HtmlListDlg&) { return RunPackets(taskSet); });
    }
    if (result == kPageNext || taskSet.allInstalled) result = RunFinalStatus(provider);
    return result;
}

int Wizard::RunPackets(TaskSet& taskSet) {
    int result = kPageNone;
    do {
        PacketSelectDlg page(host_, taskSet.tasks);
        result = page.DoModal();
        taskSet.allInstalled = page.nothingToDo();
    } while (result == kPageAgain);
    return result == kPageNext ? RunInstallation(taskSet) : result;
}

int Wizard::RunInstallation(TaskSet& taskSet) {
    if (taskSet.allInstalled) return kPageNext;
    InstallDlg page(host_, taskSet.tasks, platform_.com);
    return page.DoModal() == kPageNext ? kPageNext : kPageExit;
}

int Wizard::RunFinalStatus(const Provider& provider) {
    // A failed load still shows what was loaded before it.
    TaskSet taskSet;
    if (!LoadTaskSet(provider, taskSet, platform_)) ShowLoadFailure(taskSet);
    HtmlListDlg page(host_, taskSet.tasks, platform_.system, shutdown_);
    page.finalMode = true;
    page.DoModal();
    return kPageNext;
}

}  // namespace velk
