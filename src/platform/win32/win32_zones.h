#pragma once

#include "platform/zones.h"

namespace velk {

// Zones over urlmon. Where urlmon does not implement a call (E_NOTIMPL, as
// Wine's for the mapping calls and the policy setter), the same change is
// made in, or read from, the registry layout urlmon itself reads.
class Win32Zones final : public Zones {
  public:
    HResult CreateSecurityManager(std::unique_ptr<SecurityManager>* result) override;
    HResult CreateZoneManager(std::unique_ptr<ZoneManager>* result) override;
};

}  // namespace velk
