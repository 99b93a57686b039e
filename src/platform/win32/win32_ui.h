#pragma once

#include "platform/ui.h"

namespace velk {

// Message boxes of user32, shown in Unicode so that Russian texts come out
// right whatever the machine's ANSI code page is.
class Win32Ui : public Ui {
  public:
    int MessageBox(WindowHandle owner, std::string_view text, std::string_view caption,
                   std::uint32_t buttons, std::uint32_t icon) override;
};

}  // namespace velk
