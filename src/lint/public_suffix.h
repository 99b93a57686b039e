#pragma once

#include <string_view>

namespace velk {

// Whether a domain (lower case, no trailing dot) is a public suffix by the
// rules of Debian's public suffix list, embedded at build time: "ru", "co.uk",
// any label below a wildcard rule.
bool IsPublicSuffix(std::string_view domain);

}  // namespace velk
