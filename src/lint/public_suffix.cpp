#include "lint/public_suffix.h"

#include <algorithm>
#include <array>
#include <string>

namespace velk {
namespace {

constexpr std::string_view kRules[] = {
#include "public_suffix_rules.inc"
};

bool IsRule(std::string_view text) {
    return std::find(std::begin(kRules), std::end(kRules), text) != std::end(kRules);
}

}  // namespace

bool IsPublicSuffix(std::string_view domain) {
    if (domain.empty()) return false;
    if (IsRule(domain)) return !IsRule("!" + std::string(domain));
    const std::size_t dot = domain.find('.');
    if (dot == std::string_view::npos) return false;
    // "*.ck" makes every "x.ck" a suffix, save the ones named "!x.ck".
    return IsRule("*" + std::string(domain.substr(dot))) && !IsRule("!" + std::string(domain));
}

}  // namespace velk
