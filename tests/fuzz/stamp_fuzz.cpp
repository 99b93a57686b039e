#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "tasks/certificate.h"

namespace {

bool IsShortHexNumber(const std::string& token) {
    const std::size_t digits = token.rfind("0x", 0) == 0 || token.rfind("0X", 0) == 0 ? 2 : 0;
    if (token.size() <= digits || token.size() - digits > 16) return false;
    return token.find_first_not_of("0123456789abcdefABCDEF", digits) == std::string::npos;
}

}  // namespace

// Any text gives one byte per blank-separated token, and a token that is a
// hexadecimal number gives its low byte, as the C library reads it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string stamp(reinterpret_cast<const char*>(data), size);
    const velk::Bytes bytes = velk::ParseStamp(stamp);

    std::istringstream tokens(stamp);
    std::size_t index = 0;
    for (std::string token; tokens >> token; ++index) {
        if (index >= bytes.size()) std::abort();
        if (IsShortHexNumber(token) &&
            bytes[index] != (std::strtoull(token.c_str(), nullptr, 16) & 0xFF)) {
            std::abort();
        }
    }
    if (index != bytes.size()) std::abort();
    return 0;
}
