#include "tasks/task_set.h"

#include <stdexcept>

#include "config/data_folder.h"
#include "platform/codepage.h"
#include "platform/ui.h"
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

void ShowLoadError(Ui& ui, const std::string& text) {
    ui.MessageBox(kNoOwner, text, Utf8ToCp1251("Ошибка"), kMbOk, kMbIconError);
}

}  // namespace

std::string ComponentPath(const std::string& component) {
    return DataFolder() + "/" + component + ".yaml";
}

bool LoadTaskSet(const Provider& provider, TaskSet& taskSet, Platform& platform,
                 std::span<const TaskType> types) {
    taskSet.tasks.clear();
    try {
        LoadAndDetect(provider, taskSet, platform, types);
        return true;
    } catch (const std::runtime_error& error) {
        ShowLoadError(platform.ui, error.what());
    } catch (...) {
        ShowLoadError(platform.ui, Utf8ToCp1251("Непредвиденная ошибка"));
    }
    return false;
}

}  // namespace velk
