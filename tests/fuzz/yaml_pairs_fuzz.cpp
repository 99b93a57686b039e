#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "config/yaml_pairs.h"

// Any bytes must give pairs or the format error: no crash, leak or hang.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        velk::ReadYamlPairsFromText({reinterpret_cast<const char*>(data), size});
    } catch (const std::runtime_error&) {
    }
    return 0;
}
