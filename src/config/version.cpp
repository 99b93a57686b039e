#include "config/version.h"

#include <sstream>

namespace velk {

std::array<int, 4> ParseVersion(const std::string& text) {
    std::array<int, 4> parts{};
    std::istringstream in(text);
    // Reading straight into the parts keeps the stream's own answer for a
    // failed read: 0 for no number, the int limit for one that overflows.
    // Everything after a failed read stays 0.
    if (!(in >> parts[0])) return parts;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        char separator = 0;
        if (!in.get(separator) || !(in >> parts[i])) break;
    }
    return parts;
}

bool VersionLess(const std::string& a, const std::string& b) {
    return ParseVersion(a) < ParseVersion(b);
}

}  // namespace velk
