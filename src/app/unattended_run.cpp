#include "app/unattended_run.h"

#include <chrono>
#include <stdexcept>
#include <string>

#include "app/exit_code.h"
#include "app/site_selection.h"
#include "engine/configuration_fetch.h"
#include "engine/task_processor.h"
#include "platform/codepage.h"
#include "platform/shutdown.h"
#include "tasks/task_set.h"

namespace velk {
namespace {

constexpr auto kCancelPoll = std::chrono::milliseconds(100);

// The configuration's sites, or the reason there are none (UTF-8).
bool ReadSites(Platform& platform, RunContext& run, RunReport& report, ProviderList& sites) {
    report.Step("Конфигурация: " + (run.localMode ? std::string("папка data (/local)")
                                                  : Cp1251ToUtf8(ConfigurationUrl(run))));
    try {
        FetchConfiguration(platform.internet, platform.system, platform.privateFiles, run, &report);
        sites = ReadProviderList(ProviderListPath(run));
        TraceProviders(sites);
    } catch (const std::runtime_error& error) {
        report.Step("Ошибка получения конфигурации: " + Cp1251ToUtf8(error.what()));
        return false;
    }
    if (sites.empty()) {
        report.Step("Ошибка получения конфигурации: в списке нет ни одного сайта");
        return false;
    }
    report.Detail("Конфигурация получена: " + std::to_string(sites.size()) + " сайт(ов)");
    return true;
}

int ListSites(const ProviderList& sites, RunReport& report) {
    for (std::size_t i = 0; i < sites.size(); ++i) {
        std::string components;
        for (const auto& component : sites[i]->components) {
            components += (components.empty() ? "" : ", ") + component;
        }
        report.Step(std::to_string(i + 1) + ". " + Cp1251ToUtf8(sites[i]->name) + ": " +
                    components);
    }
    return kExitDone;
}

// Carries out plan on the task processor's worker, passing an interrupt on
// as the cancel the page's button would give. Fills end.
void Install(const InstallPlan& plan, Platform& platform, RunReport& report,
             const std::atomic<bool>& interrupted, RunEnd& end) {
    TaskProcessor processor(report, platform.com);
    if (!processor.Start(plan)) {
        report.Step("Ошибка: " + Cp1251ToUtf8(processor.message()));
        end.installFailed = true;
        return;
    }
    while (!processor.WaitForEnd(kCancelPoll)) {
        if (interrupted && !processor.cancelFlag) {
            report.Step("Установка прервана пользователем");
            processor.cancelFlag = true;
        }
    }
    end.cancelled = processor.cancelFlag;
    end.installFailed = !end.cancelled && !report.failure().empty();
}

}  // namespace

int RunUnattended(const CommandLine& line, Platform& platform, RunContext& run, RunReport& report,
                  Shutdown& shutdown, const std::atomic<bool>& interrupted) {
    ProviderList all;
    if (!ReadSites(platform, run, report, all)) return kExitConfigurationUnreadable;
    if (line.mode == RunMode::List) return ListSites(all, report);

    const SiteSelection selection = SelectSites(line.sites, all);
    if (!selection.error.empty()) {
        report.Step("Ошибка: " + selection.error);
        return kExitBadCommandLine;
    }
    report.Sites(selection.sites);

    const Provider merged = MergeProviders(selection.sites);
    TaskSet taskSet;
    if (!LoadTaskSet(merged, taskSet, platform, run)) {
        report.Step("Ошибка чтения конфигурации: " + Cp1251ToUtf8(taskSet.failure));
        return kExitConfigurationUnreadable;
    }
    const bool check = line.mode == RunMode::Check;
    report.States(check ? "Состояние (сайт | компонент | состояние):"
                        : "Состояние до установки (сайт | компонент | состояние):",
                  selection.sites, taskSet.tasks, check);
    if (check) return taskSet.allInstalled ? kExitDone : kExitSomethingMissing;

    RunEnd end;
    if (interrupted) {
        end.cancelled = true;
        return ExitCodeFor(end);
    }
    const InstallPlan plan = PlanWithDefaults(selection.sites, taskSet.tasks);
    if (NothingToInstall(plan)) {
        report.Step(taskSet.allInstalled
                        ? "Все компоненты уже установлены"
                        : "Нечего устанавливать: недостающие компоненты требуют выбора варианта");
    } else {
        Install(plan, platform, report, interrupted, end);
    }

    // The state after, found afresh, as the final page would show it.
    TaskSet after;
    const bool loaded = LoadTaskSet(merged, after, platform, run);
    report.States("Итоговое состояние (сайт | компонент | состояние):", selection.sites,
                  after.tasks, true);
    end.reachedEnd = true;
    end.somethingMissing = !loaded || !after.allInstalled;
    end.restartRequired = run.rebootRequired;
    if (end.restartRequired && line.forceRestart && !end.installFailed && !end.cancelled) {
        report.Step("Перезагрузка компьютера");
        end.restartStarted = shutdown.RestartComputer();
        if (!end.restartStarted) report.Step("Ошибка: перезагрузка не началась");
    } else if (end.restartRequired) {
        report.Step("Для завершения установки требуется перезагрузка");
    }
    return ExitCodeFor(end);
}

}  // namespace velk
