#pragma once

#include <cstddef>
#include <string>

namespace velk {

struct PinCount {
    std::size_t written = 0;    // keys added
    std::size_t corrected = 0;  // keys whose hash was another
};

// Fills in or corrects the Sha256 key of every packet and certificate of the
// folder's component files whose download has a copy in copies, matched by
// the last part of the address. Every other byte of each file stays as it
// was; files that do not parse are left alone.
PinCount PinFolder(const std::string& folder, const std::string& copies);

}  // namespace velk
