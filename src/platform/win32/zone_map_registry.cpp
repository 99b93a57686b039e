#include "platform/win32/zone_map_registry.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/win32/win32_handles.h"
#include "platform/zone_pattern.h"

namespace velk {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

constexpr char16_t kDomainsKey[] =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\Domains";
constexpr char16_t kZonesKey[] =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\";
constexpr DWORD kMaxNameLength = 16384;

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

// Names made of digits only.
std::u16string Formatted(const char* format, std::uint32_t number) {
    char text[16];
    std::snprintf(text, sizeof text, format, static_cast<unsigned>(number));
    return std::u16string(text, text + std::strlen(text));
}

HResult FromWin32(LONG error) { return static_cast<HResult>(HRESULT_FROM_WIN32(error)); }

class Key {
  public:
    LONG Open(HKEY parent, const std::u16string& path) {
        return ::RegOpenKeyExW(parent, Wide(path), 0, KEY_READ, key_.Put());
    }
    LONG Create(HKEY parent, const std::u16string& path) {
        return ::RegCreateKeyExW(parent, Wide(path), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, key_.Put(), nullptr);
    }
    HKEY get() const { return key_.get(); }

    // The names of the subkeys, or of the values with their DWORD data.
    std::vector<std::u16string> SubkeyNames() const {
        std::vector<std::u16string> names;
        std::u16string name(kMaxNameLength, u'\0');
        for (DWORD index = 0;; ++index) {
            DWORD length = kMaxNameLength;
            if (::RegEnumKeyExW(key_.get(), index, reinterpret_cast<wchar_t*>(name.data()), &length,
                                nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
                return names;
            }
            names.emplace_back(name, 0, length);
        }
    }
    std::vector<std::pair<std::u16string, DWORD>> DwordValues() const {
        std::vector<std::pair<std::u16string, DWORD>> values;
        std::u16string name(kMaxNameLength, u'\0');
        for (DWORD index = 0;; ++index) {
            DWORD length = kMaxNameLength;
            DWORD type = REG_NONE;
            DWORD data = 0;
            DWORD size = sizeof data;
            const LONG error =
                ::RegEnumValueW(key_.get(), index, reinterpret_cast<wchar_t*>(name.data()), &length,
                                nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
            if (error == ERROR_NO_MORE_ITEMS) return values;
            if (error == ERROR_SUCCESS && type == REG_DWORD && size == sizeof data) {
                values.emplace_back(std::u16string(name, 0, length), data);
            }
        }
    }

  private:
    Win32Key key_;
};

HResult SetDword(const Key& key, const std::u16string& name, DWORD data) {
    return FromWin32(::RegSetValueExW(key.get(), Wide(name), 0, REG_DWORD,
                                      reinterpret_cast<const BYTE*>(&data), sizeof data));
}

void AppendMappings(const Key& key, const std::u16string& host, std::uint32_t zone,
                    std::vector<std::u16string>* patterns) {
    for (const auto& [scheme, mappedZone] : key.DwordValues()) {
        if (mappedZone == zone) patterns->push_back(FormatZonePattern({scheme, host}));
    }
}

}  // namespace

HResult AddZoneMappingToRegistry(std::uint32_t zone, const std::u16string& pattern) {
    const std::optional<ZonePattern> parsed = ParseZonePattern(pattern);
    if (!parsed) return kEInvalidArg;
    const ZoneMapLocation location = LocateInZoneMap(parsed->host);
    std::u16string path = kDomainsKey + (u"\\" + location.domain);
    if (!location.subdomain.empty()) path += u"\\" + location.subdomain;
    Key key;
    if (const LONG error = key.Create(HKEY_CURRENT_USER, path); error != ERROR_SUCCESS) {
        return FromWin32(error);
    }
    // Like SZM_CREATE, an existing mapping is kept, whatever its zone.
    if (::RegQueryValueExW(key.get(), Wide(parsed->scheme), nullptr, nullptr, nullptr, nullptr) ==
        ERROR_SUCCESS) {
        return kHResultFileExists;
    }
    return SetDword(key, parsed->scheme, zone);
}

HResult ReadZoneMappingsFromRegistry(std::uint32_t zone, std::vector<std::u16string>* patterns) {
    patterns->clear();
    Key domains;
    const LONG error = domains.Open(HKEY_CURRENT_USER, kDomainsKey);
    if (error == ERROR_FILE_NOT_FOUND) return kSOk;
    if (error != ERROR_SUCCESS) return FromWin32(error);
    for (const std::u16string& domain : domains.SubkeyNames()) {
        Key domainKey;
        if (domainKey.Open(domains.get(), domain) != ERROR_SUCCESS) continue;
        AppendMappings(domainKey, domain, zone, patterns);
        for (const std::u16string& subdomain : domainKey.SubkeyNames()) {
            Key subdomainKey;
            if (subdomainKey.Open(domainKey.get(), subdomain) != ERROR_SUCCESS) continue;
            AppendMappings(subdomainKey, subdomain + u"." + domain, zone, patterns);
        }
    }
    return kSOk;
}

HResult WriteZoneActionPolicyToRegistry(std::uint32_t zone, std::uint32_t action,
                                        std::uint32_t policy, std::uint32_t zoneReg) {
    // Only the current user's settings are kept here.
    if (zoneReg != kUrlZoneRegHkcu) return kENotImpl;
    Key key;
    if (const LONG error = key.Create(HKEY_CURRENT_USER, kZonesKey + Formatted("%u", zone));
        error != ERROR_SUCCESS) {
        return FromWin32(error);
    }
    return SetDword(key, Formatted("%X", action), policy);
}

}  // namespace velk
