#include "platform/win32/win32_ui.h"

#include <windows.h>
// The seam's method shares its name with user32's ANSI/Unicode macro.
#undef MessageBox

#include "platform/codepage.h"

namespace velk {

static_assert(kMbOk == MB_OK && kMbOkCancel == MB_OKCANCEL && kMbYesNoCancel == MB_YESNOCANCEL &&
              kMbYesNo == MB_YESNO);
static_assert(kMbIconError == MB_ICONERROR && kMbIconQuestion == MB_ICONQUESTION &&
              kMbIconWarning == MB_ICONWARNING && kMbIconInformation == MB_ICONINFORMATION);
static_assert(kIdOk == IDOK && kIdCancel == IDCANCEL && kIdYes == IDYES && kIdNo == IDNO);

int Win32Ui::MessageBox(WindowHandle owner, std::string_view text, std::string_view caption,
                        std::uint32_t buttons, std::uint32_t icon) {
    const std::u16string wideText = Cp1251ToUtf16(text);
    const std::u16string wideCaption = Cp1251ToUtf16(caption);
    return MessageBoxW(reinterpret_cast<HWND>(owner), reinterpret_cast<LPCWSTR>(wideText.c_str()),
                       reinterpret_cast<LPCWSTR>(wideCaption.c_str()), buttons | icon);
}

}  // namespace velk
