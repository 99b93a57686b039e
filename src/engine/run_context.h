#pragma once

#include <atomic>
#include <string>

#include "config/uninstall_list.h"

namespace velk {

// What one run has been told and has learned, handed to whoever needs it:
// set up at start from the command line, and filled in as the run goes on.
struct RunContext {
    // The configuration is read from "data" below the current folder as laid
    // out by hand, and nothing is fetched.
    bool localMode = false;
    // The configuration archive's address; empty for the built-in one.
    std::string configurationUrl;
    // Where the configuration lives: "data" until a fetch has unpacked the
    // archive, then the work folder's "velk_data". No trailing separator.
    // Written only while no task runs.
    std::string dataFolder = "data";
    // Certificates go into the local machine's stores instead of the current
    // user's: adding to the user's root store asks the user, and an
    // unattended run has nobody to answer.
    bool machineCertificates = false;
    // Set once an installer ended with 3010 (success, restart required) and
    // never cleared: a later installer ending with 0 does not make the restart
    // unnecessary. Written on the worker thread.
    std::atomic<bool> rebootRequired{false};
    // The installed programs' lists, read once per detection of a task set.
    UninstallLists uninstallLists;
};

}  // namespace velk
