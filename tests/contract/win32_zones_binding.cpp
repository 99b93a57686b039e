#include <windows.h>

#include <cstdio>

#include "contract/zones_contract.h"
#include "platform/win32/win32_zones.h"

namespace velk::test {

namespace {

constexpr char kInternetSettings[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\";

}  // namespace

ZonesTarget MakeZonesTarget() {
    auto forgetDomain = [](const std::string& domain) {
        const std::string path = std::string(kInternetSettings) + "ZoneMap\\Domains\\" + domain;
        ::RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    };
    auto forgetTrustedPolicy = [](std::uint32_t action) {
        char name[16];
        std::snprintf(name, sizeof name, "%X", static_cast<unsigned>(action));
        const std::string path = std::string(kInternetSettings) + "Zones\\2";
        ::RegDeleteKeyValueA(HKEY_CURRENT_USER, path.c_str(), name);
    };
    return {[]() -> std::unique_ptr<Zones> { return std::make_unique<Win32Zones>(); }, forgetDomain,
            forgetTrustedPolicy};
}

}  // namespace velk::test
