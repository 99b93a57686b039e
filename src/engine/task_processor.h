#pragma once

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/install_plan.h"
#include "engine/install_task.h"
#include "engine/progress.h"
#include "platform/com.h"

namespace velk {

// Executes the tasks of one installation on a worker thread, in three passes
// over the list: everything but software and copy tasks; then software, copy
// and registry tasks; then every registry task once more, so that registry
// settings are written again after the software that may have changed them.
// The first failure ends the run. A run ends with one RunFinished: no text on
// success, else the outcome. A processor runs at most once.
class TaskProcessor {
  public:
    // progress hears the worker's reports on the worker's thread (a page puts
    // a PageChannel in between).
    TaskProcessor(Progress& progress, Com& com);
    // Cancels and waits for the worker, so the worker never outlives the
    // processor or its tasks. A page detaches its channel first, since the
    // worker may wait for the page.
    ~TaskProcessor();
    TaskProcessor(const TaskProcessor&) = delete;
    TaskProcessor& operator=(const TaskProcessor&) = delete;

    // False, with message() telling why, when the worker cannot be started.
    bool Start(InstallPlan plan);
    // Whether the worker has ended, waiting at most limit. A worker blocked in
    // a report to this very thread ends only once it is delivered or dropped.
    bool WaitForEnd(std::chrono::milliseconds limit);
    // The outcome text (Windows-1251); read it when Start failed or after the
    // final message.
    const std::string& message() const { return message_; }

    // Set by the page when the user cancels; every task polls it.
    std::atomic<bool> cancelFlag{false};

  private:
    void WorkerMain();
    bool Run();
    // False when the task failed; then the task is marked and message_ holds
    // the reason.
    bool ExecuteTask(InstallTask& task);

    std::string message_;
    Progress& progress_;
    InstallPlan plan_;
    Com& com_;
    std::promise<void> ended_;
    std::future<void> endedFuture_;
    std::thread thread_;
};

}  // namespace velk
