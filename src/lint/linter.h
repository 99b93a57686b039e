#pragma once

#include <string>
#include <vector>

#include "lint/finding.h"

namespace velk {

// Every check over a configuration folder (providers.yaml and the component
// files), sorted by file, line and column.
std::vector<Finding> LintFolder(const std::string& folder);

// The folder's component files: its "*.yaml" names but the provider list,
// sorted.
std::vector<std::string> ComponentFiles(const std::string& folder);

}  // namespace velk
