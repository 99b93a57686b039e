#include "app/wizard.h"

#include <memory>
#include <string>

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
// following stage when the page ended with Next, or ended() otherwise. The
// page comes again after Again, and after Back from the following stage; any
// other outcome of the following stage goes straight up the chain.
template <class Make, class Following, class Ended>
int RunStageLoop(Make make, Following following, Ended ended) {
    int result = kPageNone;
    int next = kPageNone;
    do {
        const auto page = make();
        result = page->DoModal();
        if (result != kPageNext) ended(*page);
        next = result == kPageNext ? following(*page) : kPageNone;
    } while ((next == kPageBack && result == kPageNext) || result == kPageAgain);
    return next != kPageNone ? next : result;
}

template <class Make, class Following>
int RunStageLoop(Make make, Following following) {
    return RunStageLoop(make, following, [](auto&) {});
}

std::string SiteNames(const ProviderList& sites) {
    std::string names;
    for (const auto& site : sites) names += (names.empty() ? "" : "; ") + site->name;
    return names;
}

}  // namespace

void Wizard::ShowLoadFailure(const TaskSet& taskSet) {
    report_.Step("Ошибка: " + Cp1251ToUtf8(taskSet.failure));
    platform_.ui.MessageBox(kNoOwner, taskSet.failure, Utf8ToCp1251("Ошибка"), kMbOk, kMbIconError);
}

Wizard::Wizard(HtmlDialogHost& host, Platform& platform, Shutdown& shutdown, RunContext& run,
               RunReport& report)
    : host_(host), platform_(platform), shutdown_(shutdown), run_(run), report_(report) {}

int Wizard::RunWelcome() {
    return RunStageLoop([this] { return std::make_unique<HtmlHalloDlg>(host_); },
                        [this](HtmlHalloDlg&) { return RunProviders(); });
}

int Wizard::RunProviders() {
    return RunStageLoop(
        [this] {
            return std::make_unique<ProviderListDlg>(host_, platform_.internet, platform_.system,
                                                     platform_.privateFiles, run_, &report_);
        },
        [this](ProviderListDlg& page) {
            end_.configurationFailed = false;
            report_.Sites(page.chosen());
            return RunComponents(page.chosen());
        },
        [this](ProviderListDlg& page) {
            // Left while the configuration could not be had.
            end_.configurationFailed = !page.failure().empty();
            if (end_.configurationFailed) {
                report_.Detail("Конфигурация не получена: " + Cp1251ToUtf8(page.failure()));
            }
        });
}

int Wizard::RunComponents(const ProviderList& sites) {
    const Provider provider = MergeProviders(sites);
    TaskSet taskSet;
    if (!LoadTaskSet(provider, taskSet, platform_, run_)) {
        end_.configurationFailed = true;
        ShowLoadFailure(taskSet);
        return kPageExit;
    }
    report_.States("Состояние до установки (сайт | компонент | состояние):", sites, taskSet.tasks,
                   false);
    // The choices live as long as the tasks: they survive Back to the
    // overview and a packet page shown again.
    InstallPlan plan = PlanWithDefaults(sites, taskSet.tasks);
    int result = kPageNone;
    if (!taskSet.allInstalled) {
        result = RunStageLoop(
            [&] {
                auto page = std::make_unique<HtmlListDlg>(host_, taskSet.tasks, platform_.system,
                                                          shutdown_, run_);
                page->canContinue = true;
                return page;
            },
            [&](HtmlListDlg&) { return RunPackets(taskSet, plan); });
    }
    if (result == kPageNext || taskSet.allInstalled) result = RunFinalStatus(sites);
    return result;
}

int Wizard::RunPackets(TaskSet& taskSet, InstallPlan& plan) {
    int result = kPageNone;
    do {
        PacketSelectDlg page(host_, plan);
        result = page.DoModal();
        taskSet.allInstalled = page.nothingToDo();
    } while (result == kPageAgain);
    return result == kPageNext ? RunInstallation(taskSet, plan) : result;
}

int Wizard::RunInstallation(TaskSet& taskSet, const InstallPlan& plan) {
    if (taskSet.allInstalled) return kPageNext;
    report_.Detail("Установка для сайтов: " + Cp1251ToUtf8(SiteNames(plan.sites)));
    InstallDlg page(host_, plan, platform_.com, &report_);
    const int result = page.DoModal();
    end_.installFailed = page.outcome() == InstallDlg::Outcome::Failed;
    end_.cancelled = page.outcome() != InstallDlg::Outcome::Done && !end_.installFailed;
    return result == kPageNext ? kPageNext : kPageExit;
}

int Wizard::RunFinalStatus(const ProviderList& sites) {
    // A failed load still shows what was loaded before it.
    TaskSet taskSet;
    if (!LoadTaskSet(MergeProviders(sites), taskSet, platform_, run_)) ShowLoadFailure(taskSet);
    report_.States("Состояние после установки (сайт | компонент | состояние):", sites,
                   taskSet.tasks, false);
    HtmlListDlg page(host_, taskSet.tasks, platform_.system, shutdown_, run_);
    page.finalMode = true;
    page.DoModal();
    end_.reachedEnd = true;
    end_.somethingMissing = !taskSet.failure.empty() || !taskSet.allInstalled;
    end_.restartRequired = run_.rebootRequired;
    end_.restartStarted = page.restartStarted();
    return kPageNext;
}

}  // namespace velk
