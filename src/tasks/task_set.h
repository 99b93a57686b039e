#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "config/provider_list.h"
#include "engine/install_plan.h"
#include "engine/install_task.h"
#include "engine/run_context.h"
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
    TaskList tasks;
    // Why the last load failed, for the user (Windows-1251).
    std::string failure;
};

// The component file of a component of the run's data folder.
std::string ComponentPath(const RunContext& run, const std::string& component);
// The provider list of the run's data folder.
std::string ProviderListPath(const RunContext& run);

// Loads the task of every component of provider and detects each. On a
// failure returns false with the message in taskSet.failure; the tasks loaded
// before it stay in taskSet, allInstalled then means nothing.
bool LoadTaskSet(const Provider& provider, TaskSet& taskSet, Platform& platform, RunContext& run,
                 std::span<const TaskType> types = KnownTaskTypes());

// The plan for the tasks of sites before anybody chooses: the packets the
// component files mark ToInstall, and every packet that is the only one its
// task has for this machine.
InstallPlan PlanWithDefaults(ProviderList sites, TaskList tasks);

// Whether no task is left to run: each is installed, or is software none of
// whose applicable packets is both missing and chosen.
bool NothingToInstall(const InstallPlan& plan);

}  // namespace velk
