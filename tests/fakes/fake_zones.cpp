#include "fakes/fake_zones.h"

#include <algorithm>
#include <optional>

#include "platform/zone_pattern.h"

namespace velk {

namespace {

bool HostMatches(const std::u16string& pattern, const std::u16string& host) {
    if (pattern.starts_with(u"*.")) return host.ends_with(pattern.substr(1));
    return pattern == host;
}

}  // namespace

class FakeSecurityManager final : public SecurityManager {
  public:
    explicit FakeSecurityManager(FakeZones& zones) : zones_(zones) { ++zones_.liveObjects_; }
    ~FakeSecurityManager() override { --zones_.liveObjects_; }

    HResult MapUrlToZone(const std::u16string& url, std::uint32_t, std::uint32_t* zone) override {
        // Only what tests ask: scheme://host/... against the plain and "*." mappings.
        const std::size_t separator = url.find(u"://");
        if (separator == std::u16string::npos) return kEInvalidArg;
        const std::u16string scheme = url.substr(0, separator);
        const std::u16string rest = url.substr(separator + 3);
        const std::u16string host = rest.substr(0, rest.find_first_of(u"/:"));
        *zone = kUrlZoneInternet;
        for (const auto& [text, mappedZone] : zones_.mappings) {
            const std::optional<ZonePattern> pattern = ParseZonePattern(text);
            if ((pattern->scheme == u"*" || pattern->scheme == scheme) &&
                HostMatches(pattern->host, host)) {
                *zone = mappedZone;
            }
        }
        return kSOk;
    }

    HResult SetZoneMapping(std::uint32_t zone, const std::u16string& pattern,
                           std::uint32_t flags) override {
        zones_.mappingRequests.push_back(pattern);
        if (const auto failure = zones_.mappingFailures_.find(pattern);
            failure != zones_.mappingFailures_.end()) {
            return failure->second;
        }
        const std::optional<ZonePattern> parsed = ParseZonePattern(pattern);
        if (!parsed || flags != kSzmCreate) return kEInvalidArg;
        const std::u16string text = FormatZonePattern(*parsed);
        const bool exists = std::any_of(zones_.mappings.begin(), zones_.mappings.end(),
                                        [&](const auto& mapping) { return mapping.first == text; });
        if (exists) return kHResultFileExists;
        zones_.mappings.emplace_back(text, zone);
        return kSOk;
    }

    HResult GetZoneMappings(std::uint32_t zone, std::uint32_t,
                            std::vector<std::u16string>* patterns) override {
        patterns->clear();
        if (const HResult failure = zones_.Failure(FakeZones::Call::GetZoneMappings); failure < 0) {
            return failure;
        }
        for (const auto& [text, mappedZone] : zones_.mappings) {
            if (mappedZone == zone) patterns->push_back(text);
        }
        return kSOk;
    }

  private:
    FakeZones& zones_;
};

class FakeZoneManager final : public ZoneManager {
  public:
    explicit FakeZoneManager(FakeZones& zones) : zones_(zones) { ++zones_.liveObjects_; }
    ~FakeZoneManager() override { --zones_.liveObjects_; }

    HResult GetZoneAttributes(std::uint32_t zone, ZoneAttributes* attributes) override {
        if (const HResult failure = zones_.Failure(FakeZones::Call::GetZoneAttributes);
            failure < 0) {
            return failure;
        }
        *attributes = zones_.attributes[zone];
        return kSOk;
    }

    HResult SetZoneAttributes(std::uint32_t zone, const ZoneAttributes& attributes) override {
        if (const HResult failure = zones_.Failure(FakeZones::Call::SetZoneAttributes);
            failure < 0) {
            return failure;
        }
        zones_.attributes[zone] = attributes;
        return kSOk;
    }

    HResult GetZoneActionPolicy(std::uint32_t zone, std::uint32_t action, std::uint32_t* policy,
                                std::uint32_t zoneReg) override {
        if (const HResult failure = PolicyFailure(action, zoneReg); failure < 0) return failure;
        const auto found = zones_.policies.find({zone, action});
        if (found == zones_.policies.end()) return kEFail;
        *policy = found->second;
        return kSOk;
    }

    HResult SetZoneActionPolicy(std::uint32_t zone, std::uint32_t action, std::uint32_t policy,
                                std::uint32_t zoneReg) override {
        if (const HResult failure = PolicyFailure(action, zoneReg); failure < 0) return failure;
        zones_.policies[{zone, action}] = policy;
        return kSOk;
    }

  private:
    // Only the current user's settings are kept.
    HResult PolicyFailure(std::uint32_t action, std::uint32_t zoneReg) const {
        if (zoneReg != kUrlZoneRegHkcu) return kENotImpl;
        const auto failure = zones_.policyFailures_.find(action);
        return failure == zones_.policyFailures_.end() ? kSOk : failure->second;
    }

    FakeZones& zones_;
};

FakeZones::FakeZones() {
    // The trusted zone as a fresh system has it: https only, medium template.
    attributes[kUrlZoneTrusted] = {u"Trusted sites", u"", u"", 0x10000, 0x10000, 0x10000, 0x47};
}

HResult FakeZones::Failure(Call call) const {
    const auto failure = failures_.find(call);
    return failure == failures_.end() ? kSOk : failure->second;
}

HResult FakeZones::CreateSecurityManager(std::unique_ptr<SecurityManager>* result) {
    if (const HResult failure = Failure(Call::CreateSecurityManager); failure < 0) return failure;
    *result = std::make_unique<FakeSecurityManager>(*this);
    return kSOk;
}

HResult FakeZones::CreateZoneManager(std::unique_ptr<ZoneManager>* result) {
    if (const HResult failure = Failure(Call::CreateZoneManager); failure < 0) return failure;
    *result = std::make_unique<FakeZoneManager>(*this);
    return kSOk;
}

}  // namespace velk
