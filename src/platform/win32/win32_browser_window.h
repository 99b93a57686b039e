#pragma once

#include <string>

namespace velk {

// Opens url in an app-mode window of an installed Chromium-based browser
// (Edge, then Chrome), which looks like a program window without browser
// chrome; else in the default browser. False when nothing could be started.
bool OpenBrowserWindow(const std::string& url);

}  // namespace velk
