#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/zones.h"

namespace velk {

// The current user's zone settings in memory, shared by every object the fake
// creates, as the system's are. Tests set the state up and read it through
// the public members; failures are injected per call.
class FakeZones : public Zones {
  public:
    enum class Call {
        CreateSecurityManager,
        CreateZoneManager,
        GetZoneMappings,
        GetZoneAttributes,
        SetZoneAttributes,
    };

    FakeZones();

    HResult CreateSecurityManager(std::unique_ptr<SecurityManager>* result) override;
    HResult CreateZoneManager(std::unique_ptr<ZoneManager>* result) override;

    // Every later call of that kind answers result.
    void Fail(Call call, HResult result) { failures_[call] = result; }
    // SetZoneMapping of this pattern, as written, answers result.
    void FailMapping(const std::u16string& pattern, HResult result) {
        mappingFailures_[pattern] = result;
    }
    // Reading and writing the policy of this action answer result.
    void FailActionPolicy(std::uint32_t action, HResult result) {
        policyFailures_[action] = result;
    }

    // Objects created and not yet released.
    int LiveObjects() const { return liveObjects_; }

    // Mappings in the form the mapping list gives them back, with their zone.
    std::vector<std::pair<std::u16string, std::uint32_t>> mappings;
    // Every pattern handed to SetZoneMapping, as it was passed.
    std::vector<std::u16string> mappingRequests;
    std::map<std::uint32_t, ZoneAttributes> attributes;
    // The current user's policies by (zone, action); absent ones are unset.
    std::map<std::pair<std::uint32_t, std::uint32_t>, std::uint32_t> policies;

  private:
    friend class FakeSecurityManager;
    friend class FakeZoneManager;

    HResult Failure(Call call) const;

    std::map<Call, HResult> failures_;
    std::map<std::u16string, HResult> mappingFailures_;
    std::map<std::uint32_t, HResult> policyFailures_;
    int liveObjects_ = 0;
};

}  // namespace velk
