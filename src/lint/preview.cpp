#include "lint/preview.h"

#include <exception>
#include <filesystem>
#include <optional>

#include "config/machine.h"
#include "config/provider_list.h"
#include "config/yaml_pairs.h"
#include "pages/html_text.h"
#include "platform/codepage.h"
#include "tasks/browser_task.h"
#include "tasks/certificate.h"
#include "tasks/packet.h"
#include "tasks/record.h"
#include "tasks/software_task.h"

namespace velk {
namespace {

constexpr char kNothing[] = "—";

std::string Joined(const std::vector<std::string>& items) {
    if (items.empty()) return kNothing;
    std::string text;
    for (const auto& item : items) text += (text.empty() ? "" : "; ") + item;
    return text;
}

std::string Packets(const YamlPairs& pairs, const std::string& bitness,
                    const std::string& edition) {
    std::vector<std::string> chosen;
    for (const auto& packet : ReadPackets(pairs)) {
        if (PacketApplies(*packet, bitness, edition)) {
            chosen.push_back(Cp1251ToUtf8(packet->name + " " + packet->version));
        }
    }
    const bool oneOf = FindValue(pairs, "choose_type") == "or" && chosen.size() > 1;
    return (oneOf ? "одно из: " : "") + Joined(chosen);
}

// The browser is not installed, only its version is checked.
std::string Browser(const YamlPairs& pairs) {
    const auto packets = ReadPackets(pairs);
    if (packets.size() != 1) return "проверка версии обозревателя не выполняется";
    const Packet& packet = *packets.front();
    std::string text = Cp1251ToUtf8(packet.name) + ", версия от " + Cp1251ToUtf8(packet.minVersion);
    if (!packet.maxVersion.empty()) text += " и ниже " + Cp1251ToUtf8(packet.maxVersion);
    return text;
}

std::string Records(const YamlPairs& pairs, const std::string& bitness) {
    std::vector<std::string> chosen;
    for (const auto& record : ReadRecords(pairs)) {
        if (record->bits == "all" || record->bits == bitness) {
            chosen.push_back(Cp1251ToUtf8(record->subkey + "\\" + record->name));
        }
    }
    return Joined(chosen);
}

std::string Certificates(const YamlPairs& pairs) {
    std::vector<std::string> chosen;
    for (const auto& certificate : ReadCertificates(pairs)) {
        chosen.push_back(Cp1251ToUtf8(certificate->name) + " → " +
                         Cp1251ToUtf8(certificate->store));
    }
    return Joined(chosen);
}

std::string ZoneSettings(const YamlPairs& pairs) {
    std::vector<std::string> hosts;
    std::size_t allowed = 0;
    std::size_t disallowed = 0;
    std::size_t compatible = 0;
    for (const auto& [key, value] : pairs) {
        if (key == "TrustedHost") hosts.push_back(Cp1251ToUtf8(value));
        if (key == "EnabledSettings") allowed = ParseActionList(value).size();
        if (key == "DisabledSettings") disallowed = ParseActionList(value).size();
        if (key == "CompatibilityModeHost") ++compatible;
    }
    return "надёжные узлы: " + Joined(hosts) + "; разрешено действий: " + std::to_string(allowed) +
           ", запрещено: " + std::to_string(disallowed) +
           "; в списке совместимости: " + std::to_string(compatible);
}

std::string Cell(const YamlPairs& pairs, const std::string& bitness, const std::string& edition) {
    const std::string type = FindValue(pairs, "type");
    if (type == "software") return Packets(pairs, bitness, edition);
    if (type == "browser") return Browser(pairs);
    if (type == "registry") return Records(pairs, bitness);
    if (type == "certificate") return Certificates(pairs);
    if (type == "browser_setup") return ZoneSettings(pairs);
    if (type == "copyfile") return "копия " + Cp1251ToUtf8(FindValue(pairs, "src"));
    return "не устанавливается";
}

}  // namespace

std::vector<SitePreview> PreviewFolder(const std::string& folder) {
    std::vector<SitePreview> sites;
    const std::vector<std::string> editions = KnownWindowsNames();
    for (const auto& provider : ReadProviderList(folder + "/providers.yaml")) {
        SitePreview site{Cp1251ToUtf8(provider->name), provider->components, {}};
        std::vector<std::optional<YamlPairs>> files;
        for (const auto& component : provider->components) {
            const std::string path = folder + "/" + component + ".yaml";
            try {
                files.push_back(std::filesystem::is_regular_file(path)
                                    ? std::optional(ReadYamlPairs(path))
                                    : std::nullopt);
            } catch (const std::exception&) {
                files.push_back(std::nullopt);
            }
        }
        for (const auto& edition : editions) {
            for (const char* bitness : {"x64", "x32"}) {
                MachinePreview machine{Cp1251ToUtf8(edition), bitness, {}};
                for (const auto& pairs : files) {
                    machine.cells.push_back(pairs ? Cell(*pairs, bitness, edition)
                                                  : "файла нет или он не читается");
                }
                site.machines.push_back(std::move(machine));
            }
        }
        sites.push_back(std::move(site));
    }
    return sites;
}

void WritePreview(const std::vector<SitePreview>& sites, std::ostream& out) {
    for (const SitePreview& site : sites) {
        out << "Сайт «" << site.name << "»\n";
        for (const MachinePreview& machine : site.machines) {
            out << "  " << machine.edition << ", " << machine.bitness << '\n';
            for (std::size_t i = 0; i < site.components.size(); ++i) {
                out << "    " << site.components[i] << ": " << machine.cells[i] << '\n';
            }
        }
    }
}

void WritePreviewHtml(const std::vector<SitePreview>& sites, std::ostream& out) {
    out << "<!DOCTYPE html>\n<html lang=\"ru\"><head><meta charset=\"utf-8\">"
           "<title>velk-lint: что получит каждая машина</title><style>"
           "body{font:14px sans-serif;margin:1em}table{border-collapse:collapse;margin-bottom:2em}"
           "th,td{border:1px solid #999;padding:4px 6px;vertical-align:top;text-align:left}"
           "th{background:#eee}</style></head><body>\n";
    for (const SitePreview& site : sites) {
        out << "<h2>" << EscapeHtml(site.name)
            << "</h2>\n<table><tr><th>Windows</th><th>Разрядность</th>";
        for (const auto& component : site.components)
            out << "<th>" << EscapeHtml(component) << "</th>";
        out << "</tr>\n";
        for (const MachinePreview& machine : site.machines) {
            out << "<tr><td>" << EscapeHtml(machine.edition) << "</td><td>" << machine.bitness
                << "</td>";
            for (const auto& cell : machine.cells) out << "<td>" << EscapeHtml(cell) << "</td>";
            out << "</tr>\n";
        }
        out << "</table>\n";
    }
    out << "</body></html>\n";
}

}  // namespace velk
