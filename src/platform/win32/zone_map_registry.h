#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/zones.h"

namespace velk {

// The current user's zone settings in the registry layout urlmon reads:
// ...\Internet Settings\ZoneMap\Domains\<domain>\<subdomain> with one DWORD
// zone per scheme, and ...\Internet Settings\Zones\<zone> with one DWORD
// policy per action, named by the action in hexadecimal. Each call answers
// like the urlmon method it stands in for.
HResult AddZoneMappingToRegistry(std::uint32_t zone, const std::u16string& pattern);
HResult ReadZoneMappingsFromRegistry(std::uint32_t zone, std::vector<std::u16string>* patterns);
HResult WriteZoneActionPolicyToRegistry(std::uint32_t zone, std::uint32_t action,
                                        std::uint32_t policy, std::uint32_t zoneReg);

}  // namespace velk
