#include "engine/task_processor.h"

#include <stdexcept>
#include <system_error>
#include <utility>

#include "platform/codepage.h"

namespace velk {

TaskProcessor::TaskProcessor(Progress& progress, Com& com)
    : progress_(progress), com_(com), endedFuture_(ended_.get_future()) {}

TaskProcessor::~TaskProcessor() {
    if (!thread_.joinable()) return;
    cancelFlag = true;
    thread_.join();
}

bool TaskProcessor::Start(InstallPlan plan) {
    plan_ = std::move(plan);
    message_.clear();
    cancelFlag = false;
    try {
        thread_ = std::thread(&TaskProcessor::WorkerMain, this);
    } catch (const std::system_error&) {
        message_ = Utf8ToCp1251("Ошибка при запуске потока");
        return false;
    }
    return true;
}

bool TaskProcessor::WaitForEnd(std::chrono::milliseconds limit) {
    if (!thread_.joinable()) return true;
    return endedFuture_.wait_for(limit) == std::future_status::ready;
}

void TaskProcessor::WorkerMain() {
    {
        ComScope com(com_);
        const bool ok = Run();
        progress_.RunFinished(ok ? nullptr : &message_);
    }
    ended_.set_value();
}

bool TaskProcessor::Run() {
    message_ = Utf8ToCp1251("Отменено пользователем");
    using Selector = bool (*)(const InstallTask&);
    static constexpr Selector kPasses[] = {
        [](const InstallTask& task) {
            return task.kind != TaskKind::Software && task.kind != TaskKind::CopyFile &&
                   task.status != TaskStatus::Installed;
        },
        [](const InstallTask& task) {
            return (task.kind == TaskKind::Software || task.kind == TaskKind::CopyFile ||
                    task.kind == TaskKind::Registry) &&
                   task.status != TaskStatus::Installed;
        },
        [](const InstallTask& task) { return task.kind == TaskKind::Registry; },
    };
    // The flag is not looked at between tasks: a cancelled run goes on through
    // every task, each of which may end early.
    for (const Selector selected : kPasses) {
        for (const auto& task : plan_.tasks) {
            if (selected(*task) && !ExecuteTask(*task)) return false;
        }
    }
    return !cancelFlag;
}

bool TaskProcessor::ExecuteTask(InstallTask& task) {
    std::string failure;
    try {
        task.Execute(plan_, progress_, cancelFlag);
        return true;
    } catch (const std::runtime_error& error) {
        failure = error.what();
    } catch (...) {
        // A task only reports failures as runtime errors; anything else is a
        // defect that ends the run, not the program.
        failure = Utf8ToCp1251("Непредвиденная ошибка");
    }
    task.status = TaskStatus::Failed;
    progress_.TaskFinished(task);
    message_ = std::move(failure);
    return false;
}

}  // namespace velk
