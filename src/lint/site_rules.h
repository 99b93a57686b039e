#pragma once

#include <string>
#include <vector>

#include "lint/finding.h"

namespace velk {

// The checks of providers.yaml against the folder's component files: sites
// without components or with a name another site has, components without a
// file, files no site names. componentFiles are the folder's "*.yaml" names
// other than the provider list.
void CheckSites(const std::string& folder, const std::vector<std::string>& componentFiles,
                std::vector<Finding>& findings);

}  // namespace velk
