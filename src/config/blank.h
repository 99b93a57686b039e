#pragma once

namespace velk {

// A blank as C's isspace sees one in the "C" locale, whatever locale the
// process runs in: the configuration's separators.
inline bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace velk
