#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/zones.h"

namespace velk::test {

// The zone settings the suite runs against, and how to take back what it
// wrote: the mappings below one domain, and the user's policy of one action
// of the trusted zone. Zone attributes the suite restores itself.
struct ZonesTarget {
    std::function<std::unique_ptr<Zones>()> make;
    std::function<void(const std::string& domain)> forgetDomain;
    std::function<void(std::uint32_t action)> forgetTrustedPolicy;
};

// Provided by the bindings: urlmon under Wine, the fake natively.
ZonesTarget MakeZonesTarget();

}  // namespace velk::test
