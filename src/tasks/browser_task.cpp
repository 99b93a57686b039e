#include "tasks/browser_task.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>

#include "platform/codepage.h"
#include "platform/trace.h"
#include "tasks/compat_view_list.h"

namespace velk {
namespace {

constexpr std::string_view kWhiteSpace = " \t\n\r\v\f";

[[noreturn]] void Fail(std::string_view message) {
    throw std::runtime_error(Utf8ToCp1251(message));
}

std::optional<std::uint32_t> ParseHex(std::string_view text) {
    if (text.starts_with("0x") || text.starts_with("0X")) text.remove_prefix(2);
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

void AppendToken(std::string_view token, std::vector<std::uint32_t>& actions,
                 std::vector<std::string>* tooWide) {
    const std::size_t dash = token.find('-');
    const std::optional<std::uint32_t> first = ParseHex(token.substr(0, dash));
    if (dash == std::string_view::npos) {
        if (first) actions.push_back(*first);
        return;
    }
    const std::optional<std::uint32_t> last = ParseHex(token.substr(dash + 1));
    if (!first || !last || *last < *first) return;
    if (*last - *first >= kMaxActionRange) {
        if (tooWide) tooWide->emplace_back(token);
        return;
    }
    for (std::uint64_t action = *first; action <= *last; ++action) {
        actions.push_back(static_cast<std::uint32_t>(action));
    }
}

std::unique_ptr<SecurityManager> CreateSecurityManager(Zones& zones) {
    std::unique_ptr<SecurityManager> manager;
    if (!ZoneCallSucceeded(zones.CreateSecurityManager(&manager)) || !manager) {
        Fail("Невозможно создать объект InternetSecurityManager");
    }
    return manager;
}

std::unique_ptr<ZoneManager> CreateZoneManager(Zones& zones) {
    std::unique_ptr<ZoneManager> manager;
    if (!ZoneCallSucceeded(zones.CreateZoneManager(&manager)) || !manager) {
        Fail("Невозможно создать объект InternetZoneManager");
    }
    return manager;
}

std::string WithoutTrailingSlashes(std::string host) {
    while (!host.empty() && host.back() == '/') host.pop_back();
    return host;
}

// True when no action of the list has a readable policy other than the one
// required; an action whose policy cannot be read does not count against it.
bool PoliciesAre(ZoneManager& manager, const std::vector<std::uint32_t>& actions,
                 std::uint32_t required) {
    return std::all_of(actions.begin(), actions.end(), [&](std::uint32_t action) {
        std::uint32_t policy = required;
        return !ZoneCallSucceeded(manager.GetZoneActionPolicy(kUrlZoneTrusted, action, &policy,
                                                              kUrlZoneRegHkcu)) ||
               policy == required;
    });
}

void SetPolicies(ZoneManager& manager, const std::vector<std::uint32_t>& actions,
                 std::uint32_t policy) {
    for (const std::uint32_t action : actions) {
        if (!ZoneCallSucceeded(
                manager.SetZoneActionPolicy(kUrlZoneTrusted, action, policy, kUrlZoneRegHkcu))) {
            Fail("Ошибка при настройке параметров IE");
        }
    }
}

bool Contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

bool ZoneCallSucceeded(HResult result) { return result >= 0 || result == kHResultFileExists; }

std::vector<std::uint32_t> ParseActionList(std::string_view text,
                                           std::vector<std::string>* tooWide) {
    std::vector<std::uint32_t> actions;
    for (std::size_t begin = text.find_first_not_of(kWhiteSpace); begin != std::string_view::npos;
         begin = text.find_first_not_of(kWhiteSpace, begin)) {
        const std::size_t end = std::min(text.find_first_of(kWhiteSpace, begin), text.size());
        AppendToken(text.substr(begin, end - begin), actions, tooWide);
        begin = end;
    }
    return actions;
}

std::string BrowserTask::StatusText() const {
    return DownloadAwareStatusText(status, statusDetail, "не настроен", "настроен");
}

void BrowserTask::Load(YamlPairs pairs) {
    constexpr std::string_view kPlainScheme = "http://";
    std::vector<std::string> tooWide;
    for (auto& [key, value] : pairs) {
        if (key == "TrustedHost") {
            trustedHosts.push_back(std::move(value));
        } else if (key == "EnabledSettings") {
            enabledActions = ParseActionList(value, &tooWide);
        } else if (key == "DisabledSettings") {
            disabledActions = ParseActionList(value, &tooWide);
        } else if (key == "CompatibilityModeHost") {
            if (value.starts_with(kPlainScheme)) value.erase(0, kPlainScheme.size());
            compatHosts.push_back(std::move(value));
        }
    }
    // Not applied, but never in silence: the trace says which, and the
    // configuration checker reports them as errors.
    for (const auto& range : tooWide)
        Trace("action range wider than the limit, not applied: " + range);
}

void BrowserTask::Detect() {
    const std::unique_ptr<SecurityManager> securityManager = CreateSecurityManager(platform_.zones);
    std::vector<std::u16string> patterns;
    if (securityManager->GetZoneMappings(kUrlZoneTrusted, 0, &patterns) < 0) {
        Fail("Ошибка при чтении доверенных узлов");
    }
    std::set<std::string> mapped;
    for (const std::u16string& pattern : patterns) mapped.insert(Utf16ToCp1251(pattern));
    const bool hostsTrusted = std::all_of(
        trustedHosts.begin(), trustedHosts.end(),
        [&](const std::string& host) { return mapped.contains(WithoutTrailingSlashes(host)); });

    const std::unique_ptr<ZoneManager> zoneManager = CreateZoneManager(platform_.zones);
    const bool actionsSet = PoliciesAre(*zoneManager, enabledActions, kUrlPolicyAllow) &&
                            PoliciesAre(*zoneManager, disabledActions, kUrlPolicyDisallow);

    CompatViewList compatList(platform_.registry);
    const std::vector<std::string> listed = compatList.ParseUserFilter();
    const bool compatListed =
        std::all_of(compatHosts.begin(), compatHosts.end(),
                    [&](const std::string& host) { return Contains(listed, host); });

    status = hostsTrusted && actionsSet && compatListed ? TaskStatus::Installed
                                                        : TaskStatus::NotInstalled;
}

void BrowserTask::Execute(const InstallPlan&, Progress& progress, const std::atomic<bool>&) {
    // The one security manager serves for the mappings too.
    const std::unique_ptr<SecurityManager> securityManager = CreateSecurityManager(platform_.zones);
    const std::unique_ptr<ZoneManager> zoneManager = CreateZoneManager(platform_.zones);

    ZoneAttributes attributes;
    if (!ZoneCallSucceeded(zoneManager->GetZoneAttributes(kUrlZoneTrusted, &attributes))) {
        Fail("Невозможно получить аттрибуты зоны");
    }
    // Let the zone take plain http hosts, with custom settings.
    attributes.flags &= ~kZaFlagsRequireVerification;
    attributes.templateCurrentLevel = kUrlTemplateCustom;
    if (!ZoneCallSucceeded(zoneManager->SetZoneAttributes(kUrlZoneTrusted, attributes))) {
        Fail("Ошибка при настройке параметров IE");
    }

    for (const std::string& host : trustedHosts) {
        if (!ZoneCallSucceeded(securityManager->SetZoneMapping(kUrlZoneTrusted, Cp1251ToUtf16(host),
                                                               kSzmCreate))) {
            Fail("Ошибка при добавлении доверенного узла");
        }
        progress.Changed(Change::Zone, host);
    }

    SetPolicies(*zoneManager, enabledActions, kUrlPolicyAllow);
    SetPolicies(*zoneManager, disabledActions, kUrlPolicyDisallow);

    CompatViewList compatList(platform_.registry);
    const std::vector<std::string> listed = compatList.ParseUserFilter();
    for (const std::string& host : compatHosts) {
        if (!Contains(listed, host)) compatList.AddHost(host);
    }
    compatList.WriteUserFilter();
    for (const std::string& host : compatHosts) progress.Changed(Change::CompatibilityView, host);

    status = TaskStatus::Installed;
    progress.TaskFinished(*this);
}

}  // namespace velk
