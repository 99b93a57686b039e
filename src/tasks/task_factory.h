#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "engine/install_task.h"
#include "platform/platform.h"

namespace velk {

using TaskCreator = std::shared_ptr<InstallTask> (*)(Platform& platform);

// One kind of component: the "type" text of its files, the kind its tasks
// carry and how such a task is made.
struct TaskType {
    std::string_view name;
    TaskKind kind;
    TaskCreator create;
};

template <class Task>
std::shared_ptr<InstallTask> CreateTask(Platform& platform) {
    return std::make_shared<Task>(platform);
}

// The component types the wizard installs.
std::span<const TaskType> KnownTaskTypes();

// Reads the component file at path and makes its task: kind, name and logo
// set, then the kind's own settings loaded. Null when the file names no type
// of `types` (exactly, case-sensitively), and for a missing file. Throws what
// the reading or the kind's Load throws.
std::shared_ptr<InstallTask> LoadComponentTask(const std::string& path, Platform& platform,
                                               std::span<const TaskType> types = KnownTaskTypes());

}  // namespace velk
