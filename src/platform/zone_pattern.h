#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velk {

// A zone mapping pattern as the zone map keeps it: "https://www.example.ru/"
// is scheme "https" and host "www.example.ru"; a pattern without "://", such
// as "*.example.ru", maps every scheme, written "*".
struct ZonePattern {
    std::u16string scheme;
    std::u16string host;
};

// Trailing "/" characters are dropped. No pattern for an empty scheme or
// host, or for a path after the host.
std::optional<ZonePattern> ParseZonePattern(std::u16string_view pattern);

// The text the zone's mapping list gives back: "scheme://host", or the host
// alone for every scheme.
std::u16string FormatZonePattern(const ZonePattern& pattern);

// The key of a host below the zone map's Domains key: the domain is the last
// two labels, the subdomain the labels before them (empty when there are
// none), so "a.b.example.ru" is "example.ru" with the subkey "a.b".
struct ZoneMapLocation {
    std::u16string domain;
    std::u16string subdomain;
};
ZoneMapLocation LocateInZoneMap(std::u16string_view host);

}  // namespace velk
