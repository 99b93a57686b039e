#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "engine/install_task.h"
#include "engine/run_context.h"
#include "platform/platform.h"

namespace velk {

using TaskCreator = std::shared_ptr<InstallTask> (*)(Platform& platform, RunContext& run);

// One kind of component: the "type" text of its files, the kind its tasks
// carry and how such a task is made.
struct TaskType {
    std::string_view name;
    TaskKind kind;
    TaskCreator create;
};

// Kinds that depend on the run (its data folder, its certificate stores, its
// lists of installed programs) are given it; the others need only the system.
template <class Task>
std::shared_ptr<InstallTask> CreateTask(Platform& platform, RunContext& run) {
    if constexpr (std::is_constructible_v<Task, Platform&, RunContext&>) {
        return std::make_shared<Task>(platform, run);
    } else {
        return std::make_shared<Task>(platform);
    }
}

// The component types the wizard installs.
std::span<const TaskType> KnownTaskTypes();

// Reads the component file at path and makes its task: kind, name and logo
// set, then the kind's own settings loaded. Null when the file names no type
// of `types` (exactly, case-sensitively), and for a missing file. Throws what
// the reading or the kind's Load throws.
std::shared_ptr<InstallTask> LoadComponentTask(const std::string& path, Platform& platform,
                                               RunContext& run,
                                               std::span<const TaskType> types = KnownTaskTypes());

}  // namespace velk
