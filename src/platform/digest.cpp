#include "platform/digest.h"

namespace velk {

std::string DigestHex(DigestKind kind, std::string_view data) {
    const auto digest = NewDigest(kind);
    if (!digest) return {};
    digest->Update(data.data(), data.size());
    return HexText(digest->Finish());
}

std::string HexText(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const std::uint8_t byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0xF];
    }
    return text;
}

}  // namespace velk
