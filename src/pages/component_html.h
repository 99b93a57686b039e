#pragma once

#include <string>
#include <string_view>

namespace velk {

// A component's logo as the lists show it: one picture per word of its logo
// setting, the words separated by line breaks.
std::string LogoHtml(const std::string& logo);

// The colour of the lists' texts and of a state that needs nothing.
inline constexpr char kGreen[] = "#206020";

// The start of a table cell in that colour: "<td ATTRIBUTES style=\"color:
// #206020;EXTRA\">", the attributes left out when empty.
// The style that indents a packet's row under its component.
inline constexpr char kIndent[] = "padding-left:15px";
std::string GreenCellStart(std::string_view extraStyle = "", std::string_view attributes = "");

// The framed status box of the component lists, in the given colour, and a
// table cell holding one.
std::string StatusBox(const std::string& colour, const std::string& text);
std::string StatusCell(const std::string& colour, const std::string& text);

}  // namespace velk
