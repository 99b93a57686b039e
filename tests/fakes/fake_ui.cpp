#include "fakes/fake_ui.h"

#include <stdexcept>

namespace velk {

int FakeUi::MessageBox(WindowHandle owner, std::string_view text, std::string_view caption,
                       std::uint32_t buttons, std::uint32_t icon) {
    boxes.push_back({owner, std::string(text), std::string(caption), buttons, icon});
    if (answers.empty()) {
        if (buttons == kMbOk) return kIdOk;
        throw std::logic_error("unscripted message box: " + std::string(text));
    }
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

}  // namespace velk
