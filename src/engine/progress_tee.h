#pragma once

#include "engine/progress.h"

namespace velk {

// Hands every report to two receivers in turn: the page of a run with pages,
// and the run's log.
class ProgressTee final : public Progress {
  public:
    ProgressTee(Progress& first, Progress& second) : first_(first), second_(second) {}

    void DownloadBegins(const std::string& item) override {
        first_.DownloadBegins(item);
        second_.DownloadBegins(item);
    }
    void DownloadStarted(const std::string& url, std::uint64_t totalBytes) override {
        first_.DownloadStarted(url, totalBytes);
        second_.DownloadStarted(url, totalBytes);
    }
    void DownloadAdvanced(std::uint64_t percent, std::uint64_t receivedBytes) override {
        first_.DownloadAdvanced(percent, receivedBytes);
        second_.DownloadAdvanced(percent, receivedBytes);
    }
    void InstallBegins(const std::string& item) override {
        first_.InstallBegins(item);
        second_.InstallBegins(item);
    }
    void ProgramStarts(const std::string& commandLine) override {
        first_.ProgramStarts(commandLine);
        second_.ProgramStarts(commandLine);
    }
    void ProgramEnded(std::uint32_t exitCode) override {
        first_.ProgramEnded(exitCode);
        second_.ProgramEnded(exitCode);
    }
    void ProgramFailed(std::uint32_t systemError) override {
        first_.ProgramFailed(systemError);
        second_.ProgramFailed(systemError);
    }
    void Changed(Change kind, const std::string& what) override {
        first_.Changed(kind, what);
        second_.Changed(kind, what);
    }
    void TaskFinished(const InstallTask& task) override {
        first_.TaskFinished(task);
        second_.TaskFinished(task);
    }
    void RunFinished(const std::string* failure) override {
        first_.RunFinished(failure);
        second_.RunFinished(failure);
    }

  private:
    Progress& first_;
    Progress& second_;
};

}  // namespace velk
