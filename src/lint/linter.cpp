#include "lint/linter.h"

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "lint/component_rules.h"
#include "lint/site_rules.h"

namespace velk {

std::vector<std::string> ComponentFiles(const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && name.ends_with(".yaml") && name != "providers.yaml") {
            files.push_back(name);
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<Finding> LintFolder(const std::string& folder) {
    std::vector<Finding> findings;
    const std::vector<std::string> files = ComponentFiles(folder);
    CheckSites(folder, files, findings);
    for (const std::string& name : files) {
        ComponentFile component;
        if (ReadComponentFile(folder, name, component, findings)) {
            CheckComponent(component, folder, findings);
        }
    }
    std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) {
        return std::tie(a.file, a.line, a.column) < std::tie(b.file, b.line, b.column);
    });
    return findings;
}

}  // namespace velk
