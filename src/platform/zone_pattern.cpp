#include "platform/zone_pattern.h"

namespace velk {

std::optional<ZonePattern> ParseZonePattern(std::u16string_view pattern) {
    ZonePattern result{u"*", {}};
    const std::size_t separator = pattern.find(u"://");
    if (separator != std::u16string_view::npos) {
        result.scheme = pattern.substr(0, separator);
        pattern.remove_prefix(separator + 3);
    }
    while (!pattern.empty() && pattern.back() == u'/') pattern.remove_suffix(1);
    if (result.scheme.empty() || pattern.empty() ||
        pattern.find(u'/') != std::u16string_view::npos) {
        return std::nullopt;
    }
    result.host = pattern;
    return result;
}

std::u16string FormatZonePattern(const ZonePattern& pattern) {
    return pattern.scheme == u"*" ? pattern.host : pattern.scheme + u"://" + pattern.host;
}

ZoneMapLocation LocateInZoneMap(std::u16string_view host) {
    const std::size_t lastDot = host.rfind(u'.');
    const std::size_t domainDot = lastDot == std::u16string_view::npos || lastDot == 0
                                      ? std::u16string_view::npos
                                      : host.rfind(u'.', lastDot - 1);
    if (domainDot == std::u16string_view::npos) return {std::u16string(host), {}};
    return {std::u16string(host.substr(domainDot + 1)), std::u16string(host.substr(0, domainDot))};
}

}  // namespace velk
