#pragma once

#include <string>
#include <string_view>

namespace velk {

// Exact conversions between UTF-8, Windows-1251 and UTF-16, independent of the
// machine's ANSI code page. A character with no Windows-1251 form becomes '?';
// an invalid UTF-8 sequence becomes U+FFFD (and so '?' in Windows-1251), one
// per maximal invalid subsequence, as the system's own converter does.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);
std::u16string Cp1251ToUtf16(std::string_view cp1251);
std::string Utf16ToCp1251(std::u16string_view utf16);
std::string Utf8ToCp1251(std::string_view utf8);
std::string Cp1251ToUtf8(std::string_view cp1251);

// The Latin letters A-Z in lower case, every other byte as it is: for names,
// schemes and hexadecimal digits, whatever the locale.
std::string AsciiLower(std::string_view text);

}  // namespace velk
