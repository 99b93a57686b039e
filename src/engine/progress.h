#pragma once

#include <cstdint>
#include <string>

namespace velk {

class InstallTask;

// What changed on the machine, for the record of a run.
enum class Change {
    RegistryValue,
    Certificate,
    Zone,
    CompatibilityView,
    File,
};

// What an installation reports while it runs: to the installation page, or
// to the console and the log of an unattended run. Texts are Windows-1251.
// The steps the page does not show have empty bodies here.
class Progress {
  public:
    virtual ~Progress() = default;

    // The download of the named item begins.
    virtual void DownloadBegins(const std::string& item) = 0;
    // The server answered: the address and the length it announced (0: none).
    virtual void DownloadStarted(const std::string& url, std::uint64_t totalBytes) = 0;
    // How far the download is: percent of the announced length (without one,
    // the first block counts as 100 and later ones as more), and bytes so far.
    virtual void DownloadAdvanced(std::uint64_t percent, std::uint64_t receivedBytes) = 0;
    // The installation of the named item begins.
    virtual void InstallBegins(const std::string& item) = 0;
    // A program is started with this command line, and how it ended.
    virtual void ProgramStarts(const std::string& /*commandLine*/) {}
    virtual void ProgramEnded(std::uint32_t /*exitCode*/) {}
    // It did not start, or its end could not be awaited: the system's error.
    virtual void ProgramFailed(std::uint32_t /*systemError*/) {}
    // Something was written: a registry value, a certificate's thumbprint and
    // store, a zone setting, a compatibility-view entry, a copied file.
    virtual void Changed(Change /*kind*/, const std::string& /*what*/) {}
    // The task has ended its work, or failed.
    virtual void TaskFinished(const InstallTask& task) = 0;
    // Once at the end of a run: null on success, else the outcome text.
    virtual void RunFinished(const std::string* failure) = 0;
};

}  // namespace velk
