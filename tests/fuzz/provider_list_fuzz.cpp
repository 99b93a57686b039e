#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "config/provider_list.h"

// Any bytes must give providers or the format error: no crash, leak or hang,
// and merging and describing what was read must hold up too.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const auto list =
            velk::ReadProviderListFromText({reinterpret_cast<const char*>(data), size});
        velk::MergeProviders(list);
        for (const auto& provider : list) velk::DescribeProvider(*provider);
    } catch (const std::runtime_error&) {
    }
    return 0;
}
