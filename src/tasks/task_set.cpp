#include "tasks/task_set.h"

#include <stdexcept>

#include "config/uninstall_list.h"
#include "platform/codepage.h"
#include "tasks/software_task.h"

namespace velk {
namespace {

void LoadAndDetect(const Provider& provider, TaskSet& taskSet, Platform& platform, RunContext& run,
                   std::span<const TaskType> types) {
    for (const auto& component : provider.components) {
        // A missing file reads as empty and so gives no task, silently.
        if (auto task = LoadComponentTask(ComponentPath(run, component), platform, run, types)) {
            task->component = component;
            taskSet.tasks.push_back(std::move(task));
        }
    }
    // Every task is detected, also after one that is not installed: the pages
    // show each one's state.
    taskSet.allInstalled = true;
    // The software tasks share one reading of the installed programs.
    const UninstallListHold sharedList(run.uninstallLists);
    for (const auto& task : taskSet.tasks) {
        task->Detect();
        if (StillMissing(*task)) taskSet.allInstalled = false;
    }
}

}  // namespace

std::string ComponentPath(const RunContext& run, const std::string& component) {
    return run.dataFolder + "/" + component + ".yaml";
}

std::string ProviderListPath(const RunContext& run) { return run.dataFolder + "/providers.yaml"; }

bool LoadTaskSet(const Provider& provider, TaskSet& taskSet, Platform& platform, RunContext& run,
                 std::span<const TaskType> types) {
    taskSet.tasks.clear();
    taskSet.failure.clear();
    try {
        LoadAndDetect(provider, taskSet, platform, run, types);
        return true;
    } catch (const std::runtime_error& error) {
        taskSet.failure = error.what();
    } catch (...) {
        taskSet.failure = Utf8ToCp1251("Непредвиденная ошибка");
    }
    return false;
}

InstallPlan PlanWithDefaults(ProviderList sites, TaskList tasks) {
    InstallPlan plan(std::move(sites), std::move(tasks));
    for (const auto& task : plan.tasks) {
        if (task->kind != TaskKind::Software) continue;
        const auto& software = static_cast<const SoftwareTask&>(*task);
        const PacketList applicable = software.ApplicablePackets();
        for (const auto& packet : applicable) {
            if (packet->ToInstall || applicable.size() == 1) {
                plan.Choose(software, software.PacketIndex(*packet), true);
            }
        }
    }
    return plan;
}

bool NothingToInstall(const InstallPlan& plan) {
    for (const auto& task : plan.tasks) {
        if (task->status == TaskStatus::Installed) continue;
        if (task->kind != TaskKind::Software) return false;
        const auto& software = static_cast<const SoftwareTask&>(*task);
        for (const auto& packet : software.ApplicablePackets()) {
            if (packet->status != TaskStatus::Installed && software.IsChosen(plan, *packet)) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace velk
