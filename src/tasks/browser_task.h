#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/install_task.h"
#include "platform/platform.h"
#include "platform/zones.h"

namespace velk {

// The browser's security settings for the signing sites: hosts in the Trusted
// sites zone, plain http allowed there, URL actions of that zone allowed or
// disallowed, and hosts in the compatibility-view list.
class BrowserTask : public InstallTask {
  public:
    explicit BrowserTask(Platform& platform) : platform_(platform) {}

    std::string StatusText() const override;
    void Detect() override;
    void Load(YamlPairs pairs) override;
    // Changes the zone attributes, mappings, policies and compatibility list
    // in that order; a failure leaves the earlier changes in place. Quick, so
    // the cancel flag is not polled.
    void Execute(const InstallPlan& plan, Progress& progress,
                 const std::atomic<bool>& cancelFlag) override;
    // Zones and the compatibility-view list are the current user's.
    bool WritesUserProfile() const override { return true; }

    // Bare hosts: a leading "http://" is dropped, "https://" kept.
    std::vector<std::string> compatHosts;
    // As written; compared with the zone's mappings without trailing "/".
    std::vector<std::string> trustedHosts;
    std::vector<std::uint32_t> enabledActions;
    std::vector<std::uint32_t> disabledActions;

  private:
    Platform& platform_;
};

// Zone calls count as done when not negative, and also when the change was
// there already (ERROR_FILE_EXISTS).
bool ZoneCallSucceeded(HResult result);

// URL action codes from white-space separated hexadecimal tokens ("0x"
// allowed), each a code or an inclusive ascending range "first-last". A token
// that is not hexadecimal, and a range of more than kMaxActionRange codes, is
// skipped; the latter are added to tooWide when given.
inline constexpr std::uint32_t kMaxActionRange = 0x10000;
std::vector<std::uint32_t> ParseActionList(std::string_view text,
                                           std::vector<std::string>* tooWide = nullptr);

}  // namespace velk
