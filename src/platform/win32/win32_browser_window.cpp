#include "platform/win32/win32_browser_window.h"

#include <windows.h>
// windows.h first: the shell headers need its types.
#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include <string>

#include "platform/codepage.h"
#include "platform/trace.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/win32_handles.h"

namespace velk {

namespace {

// Owns a BSTR made from Windows-1251 text.
class Bstr {
  public:
    explicit Bstr(const std::string& text) {
        const std::u16string wide = Cp1251ToUtf16(text);
        value_ = ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()),
                                     static_cast<UINT>(wide.size()));
    }
    ~Bstr() { ::SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR get() const { return value_; }
    VARIANT Variant() const {
        VARIANT variant;
        ::VariantInit(&variant);
        variant.vt = VT_BSTR;
        variant.bstrVal = value_;
        return variant;
    }

  private:
    BSTR value_ = nullptr;
};

// The desktop's shell, which runs unelevated in the user's session: the
// documented way for an elevated program to start one that is not. Empty
// where there is no such shell (Wine).
ComPtr<IShellDispatch2> DesktopShell() {
    ComPtr<IShellDispatch2> none;
    ComPtr<IShellWindows> windows;
    if (FAILED(::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                                  IID_IShellWindows, windows.PutVoid()))) {
        return none;
    }
    VARIANT location;
    ::VariantInit(&location);
    long window = 0;
    ComPtr<IDispatch> desktop;
    if (windows->FindWindowSW(&location, &location, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                              desktop.Put()) != S_OK) {
        return none;
    }
    ComPtr<IServiceProvider> provider;
    ComPtr<IShellBrowser> browser;
    ComPtr<IShellView> view;
    ComPtr<IDispatch> background;
    ComPtr<IShellFolderViewDual> folderView;
    ComPtr<IDispatch> application;
    ComPtr<IShellDispatch2> shell;
    if (FAILED(desktop->QueryInterface(IID_IServiceProvider, provider.PutVoid())) ||
        FAILED(
            provider->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.PutVoid())) ||
        FAILED(browser->QueryActiveShellView(view.Put())) ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.PutVoid())) ||
        FAILED(background->QueryInterface(IID_IShellFolderViewDual, folderView.PutVoid())) ||
        FAILED(folderView->get_Application(application.Put())) ||
        FAILED(application->QueryInterface(IID_IShellDispatch2, shell.PutVoid()))) {
        return none;
    }
    return shell;
}

// The registered path of an application, or "" when it is not installed.
// Only the machine's list counts: the user's own (HKEY_CURRENT_USER) can be
// written without elevation.
}  // namespace

std::string BrowserAppPath(const char* executable) {
    const std::string key =
        std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\") + executable;
    char path[MAX_PATH] = {};
    DWORD size = sizeof(path);
#ifdef _WIN64
    // The 64-bit test build looks where the 32-bit program does.
    const DWORD flags = RRF_RT_REG_SZ | RRF_SUBKEY_WOW6432KEY;
#else
    const DWORD flags = RRF_RT_REG_SZ;
#endif
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, flags, nullptr, path, &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    return path;
}

namespace {

// Where there is no desktop shell: started as today, from this elevated
// process, and said so in the trace.
bool StartElevated(const std::string& browser, const std::string& arguments) {
    std::string command = "\"" + browser + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        return false;
    }
    const Win32Handle thread(process.hThread);
    const Win32Handle started(process.hProcess);
    return true;
}

// Asks the desktop's shell to open file with arguments.
bool ShellOpen(IShellDispatch2& shell, const std::string& file, const std::string& arguments) {
    const Bstr path(file);
    const Bstr parameters(arguments);
    const Bstr folder("");
    const Bstr operation("open");
    VARIANT show;
    ::VariantInit(&show);
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    // The shell reports no failure of the program it starts, only of the call.
    return SUCCEEDED(shell.ShellExecute(path.get(), parameters.Variant(), folder.Variant(),
                                        operation.Variant(), show));
}

constexpr char kElevatedTrace[] =
    "browser: no desktop shell to start the window unelevated; started from this process";

bool StartAppWindow(const std::string& browser, const std::string& url) {
    const std::string arguments = "--app=" + url + " --window-size=1000,750";
    if (const ComPtr<IShellDispatch2> shell = DesktopShell()) {
        return ShellOpen(*shell.get(), browser, arguments);
    }
    Trace(kElevatedTrace);
    return StartElevated(browser, arguments);
}

}  // namespace

bool OpenBrowserWindow(const std::string& url) {
    for (const char* browser : {"msedge.exe", "chrome.exe"}) {
        const std::string path = BrowserAppPath(browser);
        if (!path.empty() && StartAppWindow(path, url)) return true;
    }
    if (const ComPtr<IShellDispatch2> shell = DesktopShell())
        return ShellOpen(*shell.get(), url, "");
    Trace(kElevatedTrace);
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

}  // namespace velk
