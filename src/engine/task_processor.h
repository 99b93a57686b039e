#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/install_task.h"
#include "engine/page_channel.h"
#include "engine/page_sink.h"
#include "platform/com.h"

namespace velk {

// Executes the tasks of one installation on a worker thread, in three passes
// over the list: everything but software and copy tasks; then software, copy
// and registry tasks; then every registry task once more, so that registry
// settings are written again after the software that may have changed them.
// The first failure ends the run. A run ends with one kMsgRunFinished: lParam
// 0 on success, else the outcome text. A processor runs at most once.
class TaskProcessor {
  public:
    // page handles the messages on its own thread, in DeliverMessages, after
    // wake (see PageChannel) asked its loop to call it.
    TaskProcessor(PageSink& page, std::function<void()> wake, Com& com);
    // Cancels, detaches the page and waits for the worker, so the worker never
    // outlives the processor, its tasks or the page. Not from within the
    // page's handling of one of the processor's messages: the worker waits for
    // that handler to return.
    ~TaskProcessor();
    TaskProcessor(const TaskProcessor&) = delete;
    TaskProcessor& operator=(const TaskProcessor&) = delete;

    // False, with message() telling why, when the worker cannot be started.
    bool Start(std::vector<std::shared_ptr<InstallTask>> tasks);
    // On the page's thread, whenever wake was called.
    void DeliverMessages() { page_.Deliver(); }
    // For a page that ends while the worker may still run: later messages are
    // dropped instead of reaching it, and a worker waiting for it goes on.
    void DetachPage() { page_.Detach(); }
    // Whether the worker has ended, waiting at most limit. A worker blocked in
    // a message to this very thread ends only once it is delivered or dropped.
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
    PageChannel page_;
    std::vector<std::shared_ptr<InstallTask>> tasks_;
    Com& com_;
    std::promise<void> ended_;
    std::future<void> endedFuture_;
    std::thread thread_;
};

}  // namespace velk
