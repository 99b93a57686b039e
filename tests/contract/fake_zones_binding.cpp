#include "contract/zones_contract.h"
#include "fakes/fake_zones.h"

namespace velk::test {

// Each test gets a fresh fake, so there is nothing to take back.
ZonesTarget MakeZonesTarget() {
    return {[]() -> std::unique_ptr<Zones> { return std::make_unique<FakeZones>(); },
            [](const std::string&) {}, [](std::uint32_t) {}};
}

}  // namespace velk::test
