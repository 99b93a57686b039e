#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace velk {
namespace {

TEST(Codepage, CyrillicRoundTripsThroughWindows1251) {
    const std::string utf8 = "Программный комплекс «Ёлка» № 5 — тест€";
    const std::string cp1251 = Utf8ToCp1251(utf8);
    EXPECT_EQ(cp1251,
              "\xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xED\xFB\xE9 \xEA\xEE\xEC\xEF\xEB\xE5\xEA\xF1 "
              "\xAB\xA8\xEB\xEA\xE0\xBB \xB9 5 \x97 \xF2\xE5\xF1\xF2\x88");
    EXPECT_EQ(Cp1251ToUtf8(cp1251), utf8);
}

TEST(Codepage, EveryByteOfWindows1251SurvivesARoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(Utf16ToCp1251(Cp1251ToUtf16(all)), all);
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
}

TEST(Codepage, CharactersWithoutAWindows1251FormBecomeQuestionMarks) {
    // No best fit: an umlaut does not turn into its base letter.
    EXPECT_EQ(Utf8ToCp1251("ä中"), "??");
    EXPECT_EQ(Utf16ToCp1251(u"\u0100x"), "?x");
    // A character outside the basic plane is two UTF-16 units, each unmappable.
    EXPECT_EQ(Utf8ToCp1251("a\xF0\x9F\x98\x80z"), "a??z");
}

TEST(Codepage, InvalidUtf8IsReplacedNeverDropped) {
    struct Case {
        std::string input;
        std::u16string expected;
    };
    const Case cases[] = {
        {"\x80", u"\uFFFD"},                                // lone continuation byte
        {"a\xC3", u"a\uFFFD"},                              // truncated at the end
        {"\xC3(", u"\uFFFD("},                              // bad continuation keeps the next byte
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong lead bytes are never valid
        {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},            // overlong three-byte form
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
        {"\xE2\x82", u"\uFFFD"},                            // one replacement for the valid prefix
        {"\xF0\x9F\x98", u"\uFFFD"},
        {"\xFF\xFE", u"\uFFFD\uFFFD"},
        {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToUtf16(c.input), c.expected) << "input size " << c.input.size();
    }
    EXPECT_EQ(Utf8ToCp1251("x\xE2\x82y"), "x?y");
}

TEST(Codepage, Utf16ToUtf8HandlesPairsAndLoneSurrogates) {
    EXPECT_EQ(Utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800)) + u"a"),
              "\xEF\xBF\xBD"
              "a");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xDC00))), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf16ToUtf8(u"\u07FF\u0800\uFFFF"), "\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF");
}

}  // namespace
}  // namespace velk
