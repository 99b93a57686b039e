#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/install_task.h"
#include "engine/progress.h"

namespace velk::test {

// The reports a run gives, as a page or log hears them.
enum class Step { DownloadProgress, DownloadBegins, InstallBegins, TaskFinished, RunFinished };

// A receiver that keeps every report. Texts are copied, since the sender's
// may live only for the call.
class RecordingPage : public Progress {
  public:
    struct Entry {
        Step message;
        // DownloadProgress: 0 when a download starts, else the percentage.
        std::uint64_t wParam = 0;
        // DownloadProgress at the start: the announced length; TaskFinished:
        // the task; RunFinished: 0 on success, else 1.
        std::intptr_t lParam = 0;
        std::string text;  // the label of a step, or the failure of a run
    };

    void DownloadBegins(const std::string& item) override {
        Add({Step::DownloadBegins, 0, 0, item});
    }
    void DownloadStarted(const std::string& url, std::uint64_t totalBytes) override {
        urls.push_back(url);
        Add({Step::DownloadProgress, 0, static_cast<std::intptr_t>(totalBytes), ""});
    }
    void DownloadAdvanced(std::uint64_t percent, std::uint64_t) override {
        Add({Step::DownloadProgress, percent, 0, ""});
    }
    void InstallBegins(const std::string& item) override { Add({Step::InstallBegins, 0, 0, item}); }
    void ProgramStarts(const std::string& commandLine) override {
        commandLines.push_back(commandLine);
    }
    void Changed(Change, const std::string& what) override { changes.push_back(what); }
    void TaskFinished(const InstallTask& task) override {
        Add({Step::TaskFinished, 0, reinterpret_cast<std::intptr_t>(&task), ""});
    }
    void RunFinished(const std::string* failure) override {
        Add({Step::RunFinished, 0, failure != nullptr ? 1 : 0, failure != nullptr ? *failure : ""});
    }

    // The reports other than download progress, which depends on block sizes.
    std::vector<Entry> Steps() const {
        std::vector<Entry> steps;
        for (const auto& entry : entries) {
            if (entry.message != Step::DownloadProgress) steps.push_back(entry);
        }
        return steps;
    }

    std::vector<Entry> entries;
    std::vector<std::string> urls;
    std::vector<std::string> commandLines;
    std::vector<std::string> changes;
    // Runs inside each report, e.g. to cancel at a given step.
    std::function<void(const Entry&)> onMessage;

  private:
    void Add(Entry entry) {
        entries.push_back(std::move(entry));
        if (onMessage) onMessage(entries.back());
    }
};

}  // namespace velk::test
