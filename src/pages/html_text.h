#pragma once

#include <string>
#include <string_view>

namespace velk {

// Text from the configuration made safe for HTML text and attribute values:
// names of organisations routinely contain quotes and angle brackets. The
// colon of "res:" is written as a character reference, so that no text reads
// as a link to the program's pictures.
std::string EscapeHtml(std::string_view text);

}  // namespace velk
