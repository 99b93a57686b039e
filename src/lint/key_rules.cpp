#include "lint/key_rules.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

#include "platform/codepage.h"

namespace velk {
namespace {

// The keys each component type's reader takes, groups as "group:field".
constexpr std::string_view kCommonKeys[] = {"type", "name", "logo"};
constexpr std::string_view kPacketKeys[] = {
    "choose_type",        "package:name",        "package:title",         "package:version",
    "package:minVersion", "package:maxVersion",  "package:versionFilter", "package:bits",
    "package:windows",    "package:SrcUrl",      "package:DstUrl",        "package:CommandLine",
    "package:Sha256",     "package:CheckRegKey", "package:CheckRegParam", "package:alias",
    "package:ToInstall"};
constexpr std::string_view kRegistryKeys[] = {"record:bits", "record:key", "record:type",
                                              "record:name", "record:value"};
constexpr std::string_view kCertificateKeys[] = {"certificate:name", "certificate:SrcUrl",
                                                 "certificate:stamp", "certificate:store",
                                                 "certificate:Sha256"};
constexpr std::string_view kBrowserSetupKeys[] = {"TrustedHost", "EnabledSettings",
                                                  "DisabledSettings", "CompatibilityModeHost"};
constexpr std::string_view kCopyKeys[] = {"key", "dst", "src"};

// Keys that may stand many times, each adding to a list.
constexpr std::string_view kListKeys[] = {"package:alias", "TrustedHost", "CompatibilityModeHost"};

std::vector<std::string_view> KnownKeys(std::string_view type) {
    std::vector<std::string_view> keys(std::begin(kCommonKeys), std::end(kCommonKeys));
    auto add = [&keys](const auto& more) {
        keys.insert(keys.end(), std::begin(more), std::end(more));
    };
    if (type == "software" || type == "browser") add(kPacketKeys);
    if (type == "registry") add(kRegistryKeys);
    if (type == "certificate") add(kCertificateKeys);
    if (type == "browser_setup") add(kBrowserSetupKeys);
    if (type == "copyfile") add(kCopyKeys);
    return keys;
}

std::size_t EditDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                              std::tolower(static_cast<unsigned char>(b[j - 1]));
            const std::size_t next =
                std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = row[j];
            row[j] = next;
        }
    }
    return row[b.size()];
}

std::string Quoted(std::string_view text) { return "«" + std::string(text) + "»"; }

std::string UnknownKeyText(std::string_view key, const std::vector<std::string_view>& known) {
    std::string text = "неизвестный ключ " + Quoted(key) + " не читается";
    const std::string_view nearest = Nearest(key, known);
    if (!nearest.empty()) text += "; возможно, имелся в виду " + Quoted(nearest);
    return text;
}

// Keys before a group's opener land in the group begun before, or nowhere.
void CheckGroupOrder(const ComponentFile& component, const GroupKind& kind,
                     FileFindings& findings) {
    std::set<std::size_t> opened;  // group numbers whose opener has been read
    bool anyItem = false;
    for (std::size_t i = 0; i < component.pairs.size(); ++i) {
        const auto field = GroupField(component.pairs[i].first, kind.group);
        if (!field) continue;
        const YamlPairMark& mark = component.marks[i];
        if (*field == kind.opener) {
            opened.insert(mark.group);
            anyItem = true;
            continue;
        }
        if (opened.contains(mark.group)) continue;
        findings.Error(
            mark.key, "key-before-opener",
            "ключ " + Quoted(*field) + " стоит в группе «-" + std::string(kind.group) +
                "» раньше " + Quoted(kind.opener) + ": " +
                (anyItem ? "он достанется предыдущей группе" : "он не достанется ни одной группе"));
    }
}

}  // namespace

std::vector<GroupKind> GroupsOf(std::string_view type) {
    if (type == "software" || type == "browser") return {{"package", "name"}};
    if (type == "registry") return {{"record", "bits"}};
    if (type == "certificate") return {{"certificate", "name"}};
    return {};
}

std::string_view Nearest(std::string_view text, const std::vector<std::string_view>& known) {
    std::string_view best;
    std::size_t bestDistance = 0;
    for (const std::string_view candidate : known) {
        const std::size_t distance = EditDistance(text, candidate);
        if (best.empty() || distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    // A third of the text may differ, at least two letters: beyond that the
    // guess would mislead.
    return bestDistance <= std::max<std::size_t>(2, text.size() / 3) ? best : std::string_view();
}

void CheckKeys(const ComponentFile& component, std::string_view type, FileFindings& findings) {
    const std::vector<std::string_view> known = KnownKeys(type);
    std::map<std::pair<std::string, std::size_t>, std::size_t> seen;  // key, group -> line
    for (std::size_t i = 0; i < component.pairs.size(); ++i) {
        const std::string& key = component.pairs[i].first;
        const YamlPairMark& mark = component.marks[i];
        const bool grouped = key.find(':') != std::string::npos;
        if (!grouped && mark.key.column > 0) {
            findings.Error(mark.key, "group-lost",
                           "вложенный ключ " + Quoted(key) +
                               " читается как ключ верхнего уровня: группа пишется как «-имя:», "
                               "а после вложенного списка её префикс теряется");
        } else if (std::find(known.begin(), known.end(), key) == known.end()) {
            findings.Error(mark.key, "unknown-key", UnknownKeyText(key, known));
        } else if (std::find(std::begin(kListKeys), std::end(kListKeys), key) ==
                   std::end(kListKeys)) {
            const auto [at, added] =
                seen.emplace(std::pair(key, grouped ? mark.group : 0), mark.key.line);
            if (!added) {
                findings.Warning(mark.key, "duplicate-key",
                                 "ключ " + Quoted(key) + " уже задан в строке " +
                                     std::to_string(at->second + 1) +
                                     "; читается только одно значение");
            }
        }
        if (mark.lossy) {
            findings.Warning(mark.value, "value-converted",
                             "значение ключа " + Quoted(key) +
                                 " содержит символы, которых нет в Windows-1251: они станут «?»");
        }
    }
    for (const GroupKind& kind : GroupsOf(type)) CheckGroupOrder(component, kind, findings);
}

}  // namespace velk
