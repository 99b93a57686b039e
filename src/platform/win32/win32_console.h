#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/owned_handle.h"

namespace velk {

// The arguments after the program's name, from the wide command line as
// UTF-8, so that site names survive whatever the system's ANSI code page is.
std::vector<std::string> Utf8Arguments();

// Whether the process runs as the local system account (S-1-5-18), as
// startup scripts and software-distribution agents run it.
bool RunsAsLocalSystem();

// Where a windowed velk.exe writes its lines: a standard output that was
// redirected (a pipe, a file) stays; otherwise the console of the program
// that started it, if any (started from Explorer there is none, and no
// window appears). The C library's standard output and error are pointed
// there too. One object per process. Its header leaves out <windows.h>,
// whose macros would rename the platform's methods in the program's start-up.
class Win32Console {
  public:
    Win32Console();
    ~Win32Console();
    Win32Console(const Win32Console&) = delete;
    Win32Console& operator=(const Win32Console&) = delete;

    // One line, UTF-8; nothing when there is nowhere to write. From any thread.
    void WriteLine(std::string_view utf8);

    // Runs interrupted once, on a thread of the system's, at Ctrl-C,
    // Ctrl-Break or when the console is closed; the process is not ended
    // then, so that the run can cancel and say so.
    void OnInterrupt(std::function<void()> interrupted);

  private:
    struct CloseOutput {
        void operator()(void* handle) const;
    };

    std::mutex mutex_;
    // The console's output, when opened here.
    OwnedHandle<void*, CloseOutput> opened_;
    void* output_ = nullptr;  // a HANDLE: the standard output, or opened_
    bool isConsole_ = false;
};

}  // namespace velk
