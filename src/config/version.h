#pragma once

#include <array>
#include <string>

namespace velk {

// A version text read as four integers: an integer, then up to three times
// one separator character (any) and the next integer. Reading stops at the
// first integer that cannot be read; what is not read stays 0, and parts
// beyond the fourth are ignored ("1.2.3" is 1.2.3.0, "R4.0" is 0.0.0.0).
std::array<int, 4> ParseVersion(const std::string& text);

// Whether version a is below version b, comparing the four integers in order.
bool VersionLess(const std::string& a, const std::string& b);

}  // namespace velk
