#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "tasks/compat_view_list.h"

// Any bytes must decode or give the format error. What decodes must encode
// into a value that decodes to the same hosts, and encoding that again must
// give the same bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> raw(data, data + size);
    std::vector<velk::UserFilterTime> times;
    std::vector<std::string> hosts;
    try {
        velk::DecodeUserFilter(raw, times, hosts);
    } catch (const std::runtime_error&) {
        if (!times.empty() || !hosts.empty()) std::abort();
        return 0;
    }
    if (times.size() != hosts.size()) std::abort();
    const std::vector<std::uint8_t> encoded = velk::EncodeUserFilter(times, hosts);
    std::vector<velk::UserFilterTime> timesAgain;
    std::vector<std::string> hostsAgain;
    velk::DecodeUserFilter(encoded, timesAgain, hostsAgain);
    if (hostsAgain != hosts || velk::EncodeUserFilter(timesAgain, hostsAgain) != encoded) {
        std::abort();
    }
    return 0;
}
