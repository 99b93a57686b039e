#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "config/provider_list.h"
#include "engine/install_task.h"
#include "platform/platform.h"
#include "tasks/task_factory.h"

namespace velk {

// The tasks of one provider choice, detected.
struct TaskSet {
    // After loading: every task is installed or is the browser, which the
    // wizard does not install. The packet page later has the last word.
    bool allInstalled = false;
    // In the order of the component names; components without a task are
    // left out.
    std::vector<std::shared_ptr<InstallTask>> tasks;
};

// The component file of a component of the data folder.
std::string ComponentPath(const std::string& component);

// Loads the task of every component of provider and detects each. On a
// failure tells the user in a message box and returns false; the tasks loaded
// before it stay in taskSet, allInstalled then means nothing.
bool LoadTaskSet(const Provider& provider, TaskSet& taskSet, Platform& platform,
                 std::span<const TaskType> types = KnownTaskTypes());

}  // namespace velk
