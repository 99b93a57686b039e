#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "engine/install_task.h"
#include "platform/platform.h"
#include "tasks/record.h"

namespace velk {

// Registry values a site needs. Detect looks only at the records meant for
// this machine's bitness; Execute writes every record, each in the 64-bit
// view on a 64-bit machine. Not shown in the lists.
class RegistryTask : public InstallTask {
  public:
    explicit RegistryTask(Platform& platform) : platform_(platform) {}

    bool IsListed() const override { return false; }
    void Detect() override;
    void Load(YamlPairs pairs) override;
    // Stops at the first record that cannot be written; the records before
    // it stay written. The cancel flag is not polled: writing is quick.
    void Execute(const InstallPlan& plan, Progress& progress,
                 const std::atomic<bool>& cancelFlag) override;
    // Records under HKEY_CURRENT_USER land in the profile of whoever runs it.
    bool WritesUserProfile() const override;

    std::vector<std::shared_ptr<Record>> records;

  private:
    Platform& platform_;
};

}  // namespace velk
