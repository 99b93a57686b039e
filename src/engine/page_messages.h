#pragma once

#include <cstdint>

namespace velk {

// Messages from the worker thread to the installation page (WM_USER + n).
inline constexpr std::uint32_t kPageMessageBase = 0x400;
// wParam 0: a download begins, lParam = total bytes (0 when unknown);
// otherwise wParam = percent done.
inline constexpr std::uint32_t kMsgDownloadProgress = kPageMessageBase + 1;
// lParam = the name (const char*) of the item whose download begins.
inline constexpr std::uint32_t kMsgDownloadBegins = kPageMessageBase + 2;
// lParam = the name (const char*) of the item whose installation begins.
inline constexpr std::uint32_t kMsgInstallBegins = kPageMessageBase + 3;
// lParam = the task (InstallTask*) that finished or failed: hide the progress bar.
inline constexpr std::uint32_t kMsgTaskFinished = kPageMessageBase + 4;
// Once at the end of a run: lParam 0 on success, else the outcome text (const char*).
inline constexpr std::uint32_t kMsgRunFinished = kPageMessageBase + 40;

}  // namespace velk
