#pragma once

namespace velk {

// What velk.exe returns, as Windows installer engines do, so that scripts and
// deployment tools can tell how a run went.
inline constexpr int kExitDone = 0;              // nothing missing
inline constexpr int kExitSomethingMissing = 1;  // /check, or a run that left something out
inline constexpr int kExitBadCommandLine = 87;   // ERROR_INVALID_PARAMETER
inline constexpr int kExitCancelled = 1602;      // ERROR_INSTALL_USEREXIT
inline constexpr int kExitInstallFailed = 1603;  // ERROR_INSTALL_FAILURE
inline constexpr int kExitConfigurationUnreadable = 1619;  // ERROR_INSTALL_PACKAGE_OPEN_FAILED
inline constexpr int kExitLogFailed = 1622;                // ERROR_INSTALL_LOG_FAILURE
inline constexpr int kExitRestartStarted = 1641;           // ERROR_SUCCESS_REBOOT_INITIATED
inline constexpr int kExitRestartRequired = 3010;          // ERROR_SUCCESS_REBOOT_REQUIRED

// How a run ended, whatever drove it: the pages or the command line.
struct RunEnd {
    bool configurationFailed = false;  // not fetched, or a file of it unreadable
    bool installFailed = false;
    bool cancelled = false;
    bool reachedEnd = false;  // the final state was found (else the user left)
    bool somethingMissing = false;
    bool restartRequired = false;
    bool restartStarted = false;
};

inline int ExitCodeFor(const RunEnd& end) {
    if (end.configurationFailed) return kExitConfigurationUnreadable;
    if (end.installFailed) return kExitInstallFailed;
    if (end.cancelled || !end.reachedEnd) return kExitCancelled;
    if (end.restartStarted) return kExitRestartStarted;
    if (end.restartRequired) return kExitRestartRequired;
    return end.somethingMissing ? kExitSomethingMissing : kExitDone;
}

}  // namespace velk
