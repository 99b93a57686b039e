#include "tasks/task_set.h"

#include <stdexcept>

#include "config/data_folder.h"
#include "platform/codepage.h"
#include "tasks/software_task.h"
#include "tasks/uninstall_list.h"

namespace velk {
namespace {

void LoadAndDetect(const Provider& provider, TaskSet& taskSet, Platform& platform,
                   std::span<const TaskType> types) {
    for (const auto& component : provider.components) {
        // A missing file reads as empty and so gives no task, silently.
        if (auto task = LoadComponentTask(ComponentPath(component), platform, types)) {
            taskSet.tasks.push_back(std::move(task));
        }
    }
    // Every task is detected, also after one that is not installed: the pages
    // show each one's state.
    taskSet.allInstalled = true;
    // The software tasks share one reading of the installed programs.
    const UninstallListScope sharedList(platform.registry);
    for (const auto& task : taskSet.tasks) {
        task->Detect();
        if (task->status != TaskStatus::Installed && task->kind != TaskKind::Browser) {
            taskSet.allInstalled = false;
        }
    }
}

}  // namespace

std::string ComponentPath(const std::string& component) {
    return DataFolder() + "/" + component + ".yaml";
}

bool LoadTaskSet(const Provider& provider, TaskSet& taskSet, Platform& platform,
                 std::span<const TaskType> types) {
    taskSet.tasks.clear();
    taskSet.failure.clear();
    try {
        LoadAndDetect(provider, taskSet, platform, types);
        return true;
    } catch (const std::runtime_error& error) {
        taskSet.failure = error.what();
    } catch (...) {
        taskSet.failure = Utf8ToCp1251("Непредвиденная ошибка");
    }
    return false;
}

bool NothingToInstall(const TaskList& tasks) {
    for (const auto& task : tasks) {
        if (task->status == TaskStatus::Installed) continue;
        if (task->kind != TaskKind::Software) return false;
        for (const auto& packet : static_cast<const SoftwareTask&>(*task).ApplicablePackets()) {
            if (packet->status != TaskStatus::Installed && packet->ToInstall) return false;
        }
    }
    return true;
}

}  // namespace velk
