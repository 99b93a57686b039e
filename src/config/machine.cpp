#include "config/machine.h"

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
                return workstation ? "Windows 10" : "Windows Server 2016 Technical preview";
            }
            break;
        case 6:
            switch (version.minor) {
                case 3:
                    return workstation ? kWindows81 : "Windows Server 2012 R2";
                case 2:
                    if (!workstation) return "Windows Server 2012";
                    // The version query stops at 6.2 for a program that does
                    // not declare 8.1; the verification is not capped.
                    return system.VerifyVersionAtLeast(6, 3) ? kWindows81 : "Windows 8";
                case 1:
                    return workstation ? "Windows 7" : "Windows Server 2008 R2";
                case 0:
                    return workstation ? "Windows Vista" : "Windows Server 2008";
            }
            break;
        case 5:
            switch (version.minor) {
                case 2:
                    if (system.GetSystemMetrics(kSmServerR2) != 0) return "Windows Server 2003 R2";
                    if (version.suiteMask & kVerSuiteWhServer) return "Windows Home Server";
                    return "Windows Server 2003";
                case 1:
                    if (workstation) return "Windows XP";
                    break;
                case 0:
                    if (workstation) return "Windows 2000";
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
