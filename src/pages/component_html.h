#pragma once

#include <string>

namespace velk {

// A component's logo as the lists show it: one picture per word of its logo
// setting, the words separated by line breaks.
std::string LogoHtml(const std::string& logo);

// The colour of the lists' texts and of a state that needs nothing.
inline constexpr char kGreen[] = "#206020";

// The framed status box of the component lists, in the given colour, and a
// table cell holding one.
std::string StatusBox(const std::string& colour, const std::string& text);
std::string StatusCell(const std::string& colour, const std::string& text);

}  // namespace velk
