// Our code-page tables against the system's own converters.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/codepage.h"

namespace velk {
namespace {

std::u16string SystemToUtf16(UINT codePage, const std::string& bytes) {
    if (bytes.empty()) return {};
    const int n =
        MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::u16string out(static_cast<std::size_t>(n), u'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()),
                        reinterpret_cast<wchar_t*>(out.data()), n);
    return out;
}

std::string SystemFromUtf16(UINT codePage, const std::u16string& text) {
    if (text.empty()) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* defaultChar = codePage == CP_UTF8 ? nullptr : "?";
    const int n = WideCharToMultiByte(codePage, flags, wide, static_cast<int>(text.size()), nullptr,
                                      0, defaultChar, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(codePage, flags, wide, static_cast<int>(text.size()), out.data(), n,
                        defaultChar, nullptr);
    return out;
}

TEST(CodepageContract, Windows1251BytesMatchTheSystemTable) {
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        EXPECT_EQ(Cp1251ToUtf16(byte), SystemToUtf16(1251, byte)) << "byte " << b;
    }
}

TEST(CodepageContract, EveryBasicPlaneCharacterMapsToWindows1251LikeTheSystem) {
    for (unsigned unit = 1; unit < 0x10000; ++unit) {
        if (unit >= 0xD800 && unit <= 0xDFFF) continue;
        const std::u16string text(1, static_cast<char16_t>(unit));
        ASSERT_EQ(Utf16ToCp1251(text), SystemFromUtf16(1251, text)) << "U+" << std::hex << unit;
    }
    const std::u16string pair = u"a\U0001F600z";
    EXPECT_EQ(Utf16ToCp1251(pair), SystemFromUtf16(1251, pair));
}

// How many U+FFFD an invalid sequence becomes differs between converters
// (we follow the Unicode recommendation of one per maximal subpart; Wine
// groups an overlong or surrogate lead with its first continuation byte).
// What must agree is every valid character and where text was replaced.
std::u16string CollapseReplacements(const std::u16string& text) {
    std::u16string out;
    for (char16_t c : text) {
        if (c == 0xFFFD && !out.empty() && out.back() == 0xFFFD) continue;
        out.push_back(c);
    }
    return out;
}

TEST(CodepageContract, Utf8DecodingMatchesTheSystem) {
    const std::string inputs[] = {
        "plain ascii",
        "Кириллица и «кавычки» №",
        "\xF0\x9F\x98\x80",
        "\x80",
        "a\xC3",
        "\xC3(",
        "\xC0\xAF",
        "\xE0\x80\xAF",
        "\xED\xA0\x80",
        "\xF4\x90\x80\x80",
        "\xE2\x82",
        "\xE2\x82z",
        "\xF0\x9F\x98",
        "\xFF\xFE",
        "\xF8\x88\x80\x80\x80",
        "ok\xE0\x80\xAFok\xED\xA0\x80ok",
    };
    for (const auto& input : inputs) {
        EXPECT_EQ(CollapseReplacements(Utf8ToUtf16(input)),
                  CollapseReplacements(SystemToUtf16(CP_UTF8, input)))
            << input;
    }
}

TEST(CodepageContract, Utf8EncodingMatchesTheSystem) {
    const std::u16string inputs[] = {
        u"Кириллица",
        u"\U0001F600",
        std::u16string(1, char16_t(0xD800)) + u"a",
        std::u16string(1, char16_t(0xDC00)),
        u"\u07FF\u0800\uFFFF",
    };
    for (const auto& input : inputs) {
        EXPECT_EQ(Utf16ToUtf8(input), SystemFromUtf16(CP_UTF8, input));
    }
}

}  // namespace
}  // namespace velk
