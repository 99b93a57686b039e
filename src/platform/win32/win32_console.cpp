#include "platform/win32/win32_console.h"

#include <windows.h>
// Needs the types that windows.h declares.
#include <shellapi.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "platform/codepage.h"
#include "platform/win32/win32_handles.h"

namespace velk {
namespace {

// The handler the system calls; it has no context argument of its own.
std::function<void()> interruptHandler;
std::atomic<bool> interruptedOnce{false};

BOOL WINAPI ConsoleEvent(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT:
            if (!interruptedOnce.exchange(true) && interruptHandler) interruptHandler();
            // A closing console ends the process once this returns: wait here
            // instead, so that the run cancels and ends itself; the system
            // ends the process after its time-out in any case.
            if (event == CTRL_CLOSE_EVENT) ::Sleep(INFINITE);
            return TRUE;
        default:
            return FALSE;
    }
}

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return ::GetConsoleMode(handle, &mode) != FALSE;
}

bool Usable(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           ::GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

struct FreeLocal {
    void operator()(LPWSTR* memory) const { ::LocalFree(memory); }
};

}  // namespace

std::vector<std::string> Utf8Arguments() {
    int count = 0;
    const std::unique_ptr<LPWSTR, FreeLocal> arguments(
        ::CommandLineToArgvW(::GetCommandLineW(), &count));
    std::vector<std::string> utf8;
    if (!arguments) return utf8;
    for (int i = 1; i < count; ++i) {
        utf8.push_back(Utf16ToUtf8(reinterpret_cast<const char16_t*>(arguments.get()[i])));
    }
    return utf8;
}

bool RunsAsLocalSystem() {
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &opened)) return false;
    const Win32Handle token(opened);
    DWORD size = 0;
    ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !::GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) {
        return false;
    }
    const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
    return ::IsWellKnownSid(user->User.Sid, WinLocalSystemSid) != FALSE;
}

Win32Console::Win32Console() {
    const HANDLE standard = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (Usable(standard)) {
        output_ = standard;
        isConsole_ = IsConsole(standard);
        return;
    }
    if (!::AttachConsole(ATTACH_PARENT_PROCESS)) return;
    const HANDLE opened = ::CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return;
    opened_ = OwnedHandle<void*, CloseOutput>(opened);
    output_ = opened;
    isConsole_ = true;
    // What the C library writes (the checker's output) goes there as well.
    std::freopen("CONOUT$", "w", stdout);
    std::freopen("CONOUT$", "w", stderr);
}

Win32Console::~Win32Console() {
    if (interruptHandler) ::SetConsoleCtrlHandler(&ConsoleEvent, FALSE);
}

void Win32Console::CloseOutput::operator()(void* handle) const { ::CloseHandle(handle); }

void Win32Console::WriteLine(std::string_view utf8) {
    std::lock_guard lock(mutex_);
    if (output_ == nullptr) return;
    DWORD written = 0;
    if (isConsole_) {
        const std::u16string wide = Utf8ToUtf16(utf8) + u"\r\n";
        ::WriteConsoleW(output_, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    const std::string line = std::string(utf8) + "\r\n";
    ::WriteFile(output_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void Win32Console::OnInterrupt(std::function<void()> interrupted) {
    interruptHandler = std::move(interrupted);
    ::SetConsoleCtrlHandler(&ConsoleEvent, TRUE);
}

}  // namespace velk
