#include "config/machine.h"

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "platform/codepage.h"
#include "platform/registry_key.h"
#include "platform/system_errors.h"

namespace velk {

namespace {

constexpr std::string_view kBitnessError = "Ошибка определения версии Windows";
constexpr std::string_view kUnknownWindows = "ОС не определена";
// Reached both from 6.3 and from a 6.2 that verifies as 6.3.
constexpr std::string_view kWindows81 = "Windows 8.1";
constexpr std::string_view kWindows10 = "Windows 10";
constexpr std::string_view kServer2016 = "Windows Server 2016 Technical preview";
constexpr std::string_view kServer2012R2 = "Windows Server 2012 R2";
constexpr std::string_view kWindows8 = "Windows 8";
constexpr std::string_view kServer2012 = "Windows Server 2012";
constexpr std::string_view kWindows7 = "Windows 7";
constexpr std::string_view kServer2008R2 = "Windows Server 2008 R2";
constexpr std::string_view kWindowsVista = "Windows Vista";
constexpr std::string_view kServer2008 = "Windows Server 2008";
constexpr std::string_view kServer2003R2 = "Windows Server 2003 R2";
constexpr std::string_view kHomeServer = "Windows Home Server";
constexpr std::string_view kServer2003 = "Windows Server 2003";
constexpr std::string_view kWindowsXp = "Windows XP";
constexpr std::string_view kWindows2000 = "Windows 2000";
constexpr std::array kEditions = {kWindows10,    kServer2016, kWindows81,    kServer2012R2,
                                  kWindows8,     kServer2012, kWindows7,     kServer2008R2,
                                  kWindowsVista, kServer2008, kServer2003R2, kHomeServer,
                                  kServer2003,   kWindowsXp,  kWindows2000};

constexpr char kBrowserKey[] = "SOFTWARE\\Microsoft\\Internet Explorer";
constexpr std::uint32_t kBrowserValueCapacity = 256;

// The edition's name in UTF-8, as the source spells it.
std::string_view EditionName(SystemInfo& system) {
    OsVersion version;
    if (!system.GetVersionEx(&version)) return kUnknownWindows;
    const bool workstation = version.productType == kVerNtWorkstation;
    switch (version.major) {
        case 10:
            if (version.minor == 0) {
                return workstation ? kWindows10 : kServer2016;
            }
            break;
        case 6:
            switch (version.minor) {
                case 3:
                    return workstation ? kWindows81 : kServer2012R2;
                case 2:
                    if (!workstation) return kServer2012;
                    // The version query stops at 6.2 for a program that does
                    // not declare 8.1; the verification is not capped.
                    return system.VerifyVersionAtLeast(6, 3) ? kWindows81 : kWindows8;
                case 1:
                    return workstation ? kWindows7 : kServer2008R2;
                case 0:
                    return workstation ? kWindowsVista : kServer2008;
            }
            break;
        case 5:
            switch (version.minor) {
                case 2:
                    if (system.GetSystemMetrics(kSmServerR2) != 0) return kServer2003R2;
                    if (version.suiteMask & kVerSuiteWhServer) return kHomeServer;
                    return kServer2003;
                case 1:
                    if (workstation) return kWindowsXp;
                    break;
                case 0:
                    if (workstation) return kWindows2000;
                    break;
            }
            break;
    }
    return kUnknownWindows;
}

// The text of a string value that fits the browser's value buffer.
std::optional<std::string> ReadText(const RegKey& key, const std::string& name) {
    std::uint32_t type = kRegNone;
    auto text = key.QueryText(name, kBrowserValueCapacity, &type);
    return type == kRegSz ? text : std::nullopt;
}

}  // namespace

std::string MachineBitness(SystemInfo& system) {
    bool wow64 = false;
    if (!system.IsWow64Process(&wow64)) throw std::runtime_error(Utf8ToCp1251(kBitnessError));
    return wow64 ? "x64" : "x32";
}

std::uint32_t MachineRegistryView(const std::string& bitness) {
    return bitness == "x64" ? kKeyWow64_64Key : 0;
}

std::string WindowsName(SystemInfo& system) { return Utf8ToCp1251(EditionName(system)); }

std::vector<std::string> KnownWindowsNames() {
    std::vector<std::string> names;
    for (const auto name : kEditions) names.push_back(Utf8ToCp1251(name));
    return names;
}

std::string BrowserVersion(Registry& registry) {
    const RegKey key = RegKey::Open(registry, kHkeyLocalMachine, kBrowserKey, kKeyRead);
    if (!key) return {};
    std::string version = ReadText(key, "Version").value_or("");
    // Internet Explorer 10 and 11 keep "9.1x" in Version and write their real
    // version to svcVersion.
    if (version > "9.") {
        if (auto service = ReadText(key, "svcVersion")) version = *service;
    }
    return version;
}

}  // namespace velk
