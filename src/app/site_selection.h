#pragma once

#include <string>

#include "config/provider_list.h"

namespace velk {

// The sites a run without pages works on.
struct SiteSelection {
    ProviderList sites;  // in the order first given, each once
    std::string error;   // Russian, UTF-8, naming what is wrong; empty when fine
};

// LIST is "all", or items separated by ';': 1-based numbers in the order of
// providers.yaml, or exact site names (UTF-8; quotes around an item, which a
// shell usually strips already, are dropped). An empty item, a number out of
// range and a name no site has are errors.
SiteSelection SelectSites(const std::string& list, const ProviderList& providers);

}  // namespace velk
