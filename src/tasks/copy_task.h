#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "engine/install_task.h"
#include "engine/run_context.h"
#include "platform/platform.h"
#include "tasks/record.h"

namespace velk {

// One file of the configuration put into the folder of an installed program;
// that program's registry value names the folder. Not shown in the lists.
class CopyTask : public InstallTask {
  public:
    CopyTask(Platform& platform, RunContext& run)
        : location(std::make_shared<Record>()), platform_(platform), run_(run) {}

    bool IsListed() const override { return false; }
    void Detect() override;
    void Load(YamlPairs pairs) override;
    // Copies over an existing file and makes the copy read-only. When the
    // program's folder is not known, nothing is copied and the task still
    // counts as done. The cancel flag is not polled: one copy is quick.
    void Execute(const InstallPlan& plan, Progress& progress,
                 const std::atomic<bool>& cancelFlag) override;

    std::string dst;                   // the registry value that holds the destination folder
    std::string src;                   // below the data folder, "/"-separated
    std::shared_ptr<Record> location;  // root, subkey and value name of the folder's value
    std::string targetFolder;          // as last read; a failed read keeps it

  private:
    void ReadTargetFolder();
    std::string Destination() const;

    Platform& platform_;
    RunContext& run_;
};

// The name the copy gets: src after its first "/", or src whole without one.
std::string CopiedFileName(const std::string& src);

}  // namespace velk
