#pragma once

#include <string>
#include <string_view>

namespace velk {

// Text from the configuration made safe for HTML text and attribute values:
// names of organisations routinely contain quotes and angle brackets.
std::string EscapeHtml(std::string_view text);

}  // namespace velk
