#pragma once

#include <atomic>

#include "tasks/software_task.h"

namespace velk {

// Whether the installed Internet Explorer has a version the site accepts.
// The browser is never installed: the task only reports its state, judged by
// the bounds of its one packet.
class BrowserSoftwareTask : public SoftwareTask {
  public:
    BrowserSoftwareTask(Platform& platform, RunContext& run) : SoftwareTask(platform, run) {}

    void Detect() override;
    void Execute(const InstallPlan&, Progress&, const std::atomic<bool>&) override {}
};

}  // namespace velk
