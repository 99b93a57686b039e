#pragma once

#include <string>

namespace velk {

// Opens url in an app-mode window of an installed Chromium-based browser
// (Edge, then Chrome), which looks like a program window without browser
// chrome; else in the default browser. The window is started unelevated
// through the desktop's shell; where there is none (Wine), by this process,
// with a trace line saying so. False when nothing could be started.
bool OpenBrowserWindow(const std::string& url);

// The path the machine registers for an application under App Paths, or ""
// when it has none; the user's own registration is never taken.
std::string BrowserAppPath(const char* executable);

}  // namespace velk
