#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "config/provider_list.h"
#include "engine/install_task.h"
#include "engine/progress.h"

namespace velk {

class SystemInfo;

// Tells what a run does: one line per step to the console of an unattended
// run, and every step and decision to the run's log. Either may be absent
// (a run with pages has no console). Takes the core's Windows-1251 texts,
// writes UTF-8 lines. Reports may come from the worker and the main thread.
class RunReport final : public Progress {
  public:
    using LineSink = std::function<void(std::string_view utf8)>;
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // asSystem: the run is SYSTEM's, whose own profile gets what a task
    // writes for the current user; such steps and rows are marked.
    RunReport(LineSink console, LineSink log, bool asSystem,
              Clock clock = &std::chrono::steady_clock::now);

    // A step, to the console and the log (UTF-8).
    void Step(std::string_view utf8);
    // A detail, to the log only (UTF-8).
    void Detail(std::string_view utf8);

    // The system velk runs on: Windows version, edition and bitness.
    void Machine(SystemInfo& system);
    // The sites chosen, one line each.
    void Sites(const ProviderList& sites);
    // Every site's components with their states, under heading: to the log,
    // and to the console as the table of the final state when asked.
    void States(std::string_view heading, const ProviderList& sites, const TaskList& tasks,
                bool toConsole);

    void DownloadBegins(const std::string& item) override;
    void DownloadStarted(const std::string& url, std::uint64_t totalBytes) override;
    void DownloadAdvanced(std::uint64_t percent, std::uint64_t receivedBytes) override;
    void InstallBegins(const std::string& item) override;
    void ProgramStarts(const std::string& commandLine) override;
    void ProgramEnded(std::uint32_t exitCode) override;
    void ProgramFailed(std::uint32_t systemError) override;
    void Changed(Change kind, const std::string& what) override;
    void TaskFinished(const InstallTask& task) override;
    void RunFinished(const std::string* failure) override;

    // The last failure a run reported, UTF-8; empty after a successful one.
    const std::string& failure() const { return failure_; }

  private:
    // " (только профиль SYSTEM)" for what lands in the current user's
    // profile of a run as SYSTEM, else nothing.
    std::string_view ProfileMark(bool writesUserProfile) const;

    LineSink console_;
    LineSink log_;
    bool asSystem_;
    Clock clock_;
    std::chrono::steady_clock::time_point lastPercent_{};
    std::uint64_t received_ = 0;
    std::string failure_;
};

}  // namespace velk
