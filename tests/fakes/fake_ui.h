#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace velk {

// Message boxes that are recorded instead of shown. Each box takes the next
// scripted answer. Without one, a box with the single button OK answers OK;
// a question nobody scripted an answer for is a test error.
class FakeUi : public Ui {
  public:
    struct Box {
        WindowHandle owner;
        std::string text;
        std::string caption;
        std::uint32_t buttons;
        std::uint32_t icon;
    };

    int MessageBox(WindowHandle owner, std::string_view text, std::string_view caption,
                   std::uint32_t buttons, std::uint32_t icon) override;

    std::deque<int> answers;
    std::vector<Box> boxes;
};

}  // namespace velk
