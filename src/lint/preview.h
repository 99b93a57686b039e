#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace velk {

// What one machine of one site would get: a cell per component.
struct MachinePreview {
    std::string edition;
    std::string bitness;
    std::vector<std::string> cells;
};

// One site of the provider list, for every Windows edition the format knows
// and both bitnesses. Texts are UTF-8.
struct SitePreview {
    std::string name;
    std::vector<std::string> components;
    std::vector<MachinePreview> machines;
};

// The sites of a configuration folder as the wizard's readers take them;
// components whose file is missing or unreadable show so in their cells.
std::vector<SitePreview> PreviewFolder(const std::string& folder);

// As text: per site, one line per machine.
void WritePreview(const std::vector<SitePreview>& sites, std::ostream& out);

// As one self-contained HTML page: per site, a table of machines by components.
void WritePreviewHtml(const std::vector<SitePreview>& sites, std::ostream& out);

}  // namespace velk
