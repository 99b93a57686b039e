#pragma once

#include <string>

namespace velk {

// A component's logo as the lists show it: one picture per word of its logo
// setting, the words separated by line breaks.
std::string LogoHtml(const std::string& logo);

// The green status box of the component lists, in the given colour.
std::string StatusCell(const std::string& colour, const std::string& text);

}  // namespace velk
