#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/yaml_pairs.h"
#include "engine/progress.h"

namespace velk {

class InstallPlan;

// The state of a component or packet on this machine. Only Installed counts as
// done: InstalledOtherVersion is shown like it but installed again.
enum class TaskStatus : int {
    NotInstalled = 1,
    Downloaded = 2,
    Installed = 3,
    InstalledOtherVersion = 4,
    Failed = 6,
};

// The kind of a task, set by the factory from the component file's type.
enum class TaskKind : int {
    Software = 1,
    Browser = 2,
    BrowserSetup = 3,
    Registry = 4,
    Certificate = 5,
    CopyFile = 7,
};

// One component: loaded from its file, detected on the machine, shown with a
// status text and executed on the task processor's worker thread. Tasks are
// shared between the pages and the processor; texts are Windows-1251.
class InstallTask {
  public:
    virtual ~InstallTask() = default;

    virtual std::string StatusText() const;
    // Registry and copy tasks work silently and are not shown in the lists.
    virtual bool IsListed() const { return true; }
    virtual void Detect() = 0;
    // Reads the kind's own settings; may throw std::runtime_error with a text
    // for the user.
    virtual void Load(YamlPairs pairs) = 0;
    // Runs on the worker thread; carries out this task's part of plan,
    // reports to progress, polls cancelFlag, throws std::runtime_error with a
    // text for the user on failure.
    virtual void Execute(const InstallPlan& plan, Progress& progress,
                         const std::atomic<bool>& cancelFlag) = 0;
    // Whether what it writes lands in the current user's profile (registry
    // under HKEY_CURRENT_USER, zones, the compatibility-view list), which for
    // a run as SYSTEM is SYSTEM's own and serves no user.
    virtual bool WritesUserProfile() const { return false; }

    std::string name;
    std::string logo;
    TaskStatus status = TaskStatus::NotInstalled;
    TaskKind kind = TaskKind::Software;
    std::string statusDetail;
    std::string detectedVersion;
    // The component file's base name, as the provider list names it.
    std::string component;
};

using TaskList = std::vector<std::shared_ptr<InstallTask>>;

// Whether the task still lacks something the wizard could install: the
// browser itself it only reports.
inline bool StillMissing(const InstallTask& task) {
    return task.status != TaskStatus::Installed && task.kind != TaskKind::Browser;
}

// The status words of the kinds that show a finished download as a state of
// its own (browser settings, certificates, packets): absent / "загружено" /
// detail or present / "ошибка" / "неизвестный статус". Words are UTF-8.
std::string DownloadAwareStatusText(TaskStatus status, const std::string& detail,
                                    std::string_view absentWord, std::string_view presentWord);

}  // namespace velk
