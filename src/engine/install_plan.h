#pragma once

#include <cstddef>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "config/provider_list.h"
#include "engine/install_task.h"

namespace velk {

// What one installation is to do: the sites chosen, the tasks of their
// components, and which installer variants (packets) of the software tasks
// are to be installed. The pages build it by clicks, an unattended run from
// its command line; the task processor carries it out. The choices live here
// and not in the tasks, which hold only what the configuration and the
// machine say.
class InstallPlan {
  public:
    InstallPlan() = default;
    InstallPlan(ProviderList chosenSites, TaskList theirTasks)
        : sites(std::move(chosenSites)), tasks(std::move(theirTasks)) {}

    // A packet is named by its task and its place in the task's packet list.
    bool IsChosen(const InstallTask& task, std::size_t packet) const {
        return chosen_.count({&task, packet}) != 0;
    }
    void Choose(const InstallTask& task, std::size_t packet, bool chosen) {
        if (chosen) {
            chosen_.insert({&task, packet});
        } else {
            chosen_.erase({&task, packet});
        }
    }

    ProviderList sites;
    TaskList tasks;

  private:
    std::set<std::pair<const InstallTask*, std::size_t>> chosen_;
};

}  // namespace velk
