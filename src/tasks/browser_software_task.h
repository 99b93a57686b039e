#pragma once

#include <atomic>

#include "tasks/software_task.h"

namespace velk {

// Whether the installed Internet Explorer has a version the site accepts.
// The browser is never installed: the task only reports its state, judged by
// the bounds of its one packet.
class BrowserSoftwareTask : public SoftwareTask {
  public:
    explicit BrowserSoftwareTask(Platform& platform) : SoftwareTask(platform) {}

    void Detect() override;
    void Execute(PageSink&, const std::atomic<bool>&) override {}
};

}  // namespace velk
