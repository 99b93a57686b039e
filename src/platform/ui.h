#pragma once

#include <cstdint>
#include <string_view>

namespace velk {

// A window of the system; 0 is none.
using WindowHandle = std::uintptr_t;
inline constexpr WindowHandle kNoOwner = 0;

// Buttons, icons and answers of a message box, with the system's values.
inline constexpr std::uint32_t kMbOk = 0x0;
inline constexpr std::uint32_t kMbOkCancel = 0x1;
inline constexpr std::uint32_t kMbYesNoCancel = 0x3;
inline constexpr std::uint32_t kMbYesNo = 0x4;

inline constexpr std::uint32_t kMbIconError = 0x10;
inline constexpr std::uint32_t kMbIconQuestion = 0x20;
inline constexpr std::uint32_t kMbIconWarning = 0x30;
inline constexpr std::uint32_t kMbIconInformation = 0x40;

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// Questions and notices to the user.
class Ui {
  public:
    virtual ~Ui() = default;

    // Shows a modal message box over owner (kNoOwner: over nothing) and
    // returns the button the user chose. Texts are Windows-1251.
    virtual int MessageBox(WindowHandle owner, std::string_view text, std::string_view caption,
                           std::uint32_t buttons, std::uint32_t icon) = 0;
};

}  // namespace velk
