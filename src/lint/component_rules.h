#pragma once

#include <string>
#include <vector>

#include "config/yaml_pairs.h"
#include "lint/finding.h"

namespace velk {

// One component file as the wizard's reader sees it, with where each pair
// stands.
struct ComponentFile {
    std::string name;  // the file's name in the configuration folder
    YamlPairs pairs;
    std::vector<YamlPairMark> marks;
};

// Reads a component file for checking; a syntax error becomes a finding and
// nothing else of the file is checked.
bool ReadComponentFile(const std::string& folder, const std::string& name, ComponentFile& component,
                       std::vector<Finding>& findings);

// The checks of one component file: its keys as the reader takes them, its
// type, packets, certificates, browser settings and copy source. Files the
// component downloads are compared with copies of the same name in folder.
void CheckComponent(const ComponentFile& component, const std::string& folder,
                    std::vector<Finding>& findings);

// The last part of a download address: the name a local copy has.
std::string DownloadName(const std::string& url);

}  // namespace velk
