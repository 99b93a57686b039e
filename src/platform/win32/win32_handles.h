#pragma once

#include <windows.h>

#include "platform/owned_handle.h"

namespace velk {

// Owners of the system's handles that the Win32 implementations open.
struct CloseWin32Handle {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using Win32Handle = OwnedHandle<HANDLE, CloseWin32Handle>;

struct CloseWin32Key {
    void operator()(HKEY key) const { ::RegCloseKey(key); }
};
using Win32Key = OwnedHandle<HKEY, CloseWin32Key>;

struct CloseWin32Find {
    void operator()(HANDLE find) const { ::FindClose(find); }
};
using Win32Find = OwnedHandle<HANDLE, CloseWin32Find>;

}  // namespace velk
