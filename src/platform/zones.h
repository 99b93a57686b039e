#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace velk {

// A COM result code as the system returns it.
using HResult = std::int32_t;

inline constexpr HResult kSOk = 0;
inline constexpr HResult kENotImpl = static_cast<HResult>(0x80004001u);
inline constexpr HResult kEFail = static_cast<HResult>(0x80004005u);
inline constexpr HResult kEInvalidArg = static_cast<HResult>(0x80070057u);
// ERROR_FILE_EXISTS as an HRESULT: a zone mapping that is already there.
inline constexpr HResult kHResultFileExists = static_cast<HResult>(0x80070050u);

// Security zones, the zone registry selector and the action policies used.
inline constexpr std::uint32_t kUrlZoneTrusted = 2;
inline constexpr std::uint32_t kUrlZoneInternet = 3;
inline constexpr std::uint32_t kUrlZoneRegHkcu = 2;
inline constexpr std::uint32_t kUrlPolicyAllow = 0;
inline constexpr std::uint32_t kUrlPolicyDisallow = 3;
// SetZoneMapping: add a mapping, failing when it exists.
inline constexpr std::uint32_t kSzmCreate = 0;
// Zone attribute flag: the zone's hosts must be reached over https.
inline constexpr std::uint32_t kZaFlagsRequireVerification = 0x4;
inline constexpr std::uint32_t kUrlTemplateCustom = 0;

// The system's ZONEATTRIBUTES record.
struct ZoneAttributes {
    std::u16string displayName;
    std::u16string description;
    std::u16string iconPath;
    std::uint32_t templateMinLevel = 0;
    std::uint32_t templateRecommended = 0;
    std::uint32_t templateCurrentLevel = 0;
    std::uint32_t flags = 0;
};

// IInternetSecurityManager of the current user; released with the object.
class SecurityManager {
  public:
    virtual ~SecurityManager() = default;
    virtual HResult MapUrlToZone(const std::u16string& url, std::uint32_t flags,
                                 std::uint32_t* zone) = 0;
    virtual HResult SetZoneMapping(std::uint32_t zone, const std::u16string& pattern,
                                   std::uint32_t flags) = 0;
    // The zone's mappings as the string enumerator yields them, one Next at a
    // time while it answers S_OK.
    virtual HResult GetZoneMappings(std::uint32_t zone, std::uint32_t flags,
                                    std::vector<std::u16string>* patterns) = 0;
};

// IInternetZoneManagerEx2; released with the object. A policy is 4 bytes.
class ZoneManager {
  public:
    virtual ~ZoneManager() = default;
    virtual HResult GetZoneAttributes(std::uint32_t zone, ZoneAttributes* attributes) = 0;
    virtual HResult SetZoneAttributes(std::uint32_t zone, const ZoneAttributes& attributes) = 0;
    virtual HResult GetZoneActionPolicy(std::uint32_t zone, std::uint32_t action,
                                        std::uint32_t* policy, std::uint32_t zoneReg) = 0;
    virtual HResult SetZoneActionPolicy(std::uint32_t zone, std::uint32_t action,
                                        std::uint32_t policy, std::uint32_t zoneReg) = 0;
};

// The browser's URL security objects, created in-process. COM must be
// initialised on the calling thread; the objects stay on it.
class Zones {
  public:
    virtual ~Zones() = default;
    virtual HResult CreateSecurityManager(std::unique_ptr<SecurityManager>* result) = 0;
    virtual HResult CreateZoneManager(std::unique_ptr<ZoneManager>* result) = 0;
};

}  // namespace velk
