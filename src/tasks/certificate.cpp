#include "tasks/certificate.h"

#include <cstdint>
#include <optional>
#include <string_view>

#include "config/blank.h"

namespace velk {
namespace {

constexpr std::string_view kGroup = "certificate";

std::optional<std::uint8_t> HexDigit(char c) {
    if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<std::uint8_t>(c - 'A' + 10);
    return std::nullopt;
}

// Only the last two digits reach the low byte, so a number of any length is
// read without overflow.
std::uint8_t LowByteOfHexToken(std::string_view token) {
    if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) {
        token.remove_prefix(2);
    }
    std::uint8_t low = 0;
    for (const char c : token) {
        const auto digit = HexDigit(c);
        if (!digit) return 0;
        low = static_cast<std::uint8_t>(low << 4 | *digit);
    }
    return low;
}

}  // namespace

Bytes ParseStamp(const std::string& stamp) {
    Bytes bytes;
    std::size_t position = 0;
    while (position < stamp.size()) {
        if (IsBlank(stamp[position])) {
            ++position;
            continue;
        }
        const std::size_t start = position;
        while (position < stamp.size() && !IsBlank(stamp[position])) ++position;
        bytes.push_back(LowByteOfHexToken(std::string_view(stamp).substr(start, position - start)));
    }
    return bytes;
}

std::vector<std::shared_ptr<Certificate>> ReadCertificates(const YamlPairs& pairs) {
    return ReadGroups<Certificate>(
        pairs, kGroup, "name",
        [](Certificate& current, std::string_view field, const std::string& value) {
            if (field == "name") {
                current.name = value;
            } else if (field == "SrcUrl") {
                current.SrcUrl = value;
            } else if (field == "stamp") {
                current.stamp = value;
            } else if (field == "Sha256") {
                current.Sha256 = value;
            } else if (field == "store") {
                current.store = value;
            }
        });
}

}  // namespace velk
