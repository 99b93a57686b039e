#include "app/site_selection.h"

#include <algorithm>
#include <string_view>

#include "platform/codepage.h"

namespace velk {
namespace {

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string_view Unquoted(std::string_view item) {
    if (item.size() >= 2 && item.front() == '"' && item.back() == '"') {
        return item.substr(1, item.size() - 2);
    }
    return item;
}

// The site an item names, or null. A quoted item is always a name, so that a
// site called "2" can be chosen.
std::shared_ptr<Provider> Find(std::string_view item, const ProviderList& providers) {
    const std::string_view name = Unquoted(item);
    if (name.size() == item.size() && AllDigits(item)) {
        // Longer than any list could be: out of range, without overflow.
        if (item.size() > 6) return nullptr;
        const std::size_t number = std::stoul(std::string(item));
        return number >= 1 && number <= providers.size() ? providers[number - 1] : nullptr;
    }
    const std::string wanted = Utf8ToCp1251(name);
    for (const auto& provider : providers) {
        if (provider->name == wanted) return provider;
    }
    return nullptr;
}

}  // namespace

SiteSelection SelectSites(const std::string& list, const ProviderList& providers) {
    SiteSelection selection;
    if (list == "all") {
        selection.sites = providers;
        return selection;
    }
    std::string_view rest = list;
    for (;;) {
        const auto end = rest.find(';');
        const std::string_view item = rest.substr(0, end);
        const auto site = item.empty() ? nullptr : Find(item, providers);
        if (!site) {
            // Nothing of a list with a mistake is taken.
            return {{},
                    item.empty()
                        ? "пустой элемент в списке сайтов: " + list
                        : "в конфигурации нет сайта " + std::string(item) + " (сайтов в ней " +
                              std::to_string(providers.size()) + ", /list их показывает)"};
        }
        if (std::find(selection.sites.begin(), selection.sites.end(), site) ==
            selection.sites.end()) {
            selection.sites.push_back(site);
        }
        if (end == std::string_view::npos) break;
        rest = rest.substr(end + 1);
    }
    return selection;
}

}  // namespace velk
