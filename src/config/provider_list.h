#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/yaml_mark.h"

namespace velk {

// A site or organisation the workstation can be prepared for, with the
// components it needs. The provider page keeps the same object in two lists,
// hence the shared pointers.
struct Provider {
    std::string name;  // Windows-1251
    // Base names of component files, in file order, duplicates kept; the
    // file's UTF-8 bytes, since they name files rather than being shown.
    std::vector<std::string> components;
};

using ProviderList = std::vector<std::shared_ptr<Provider>>;

// Reads providers.yaml. A file that cannot be opened gives an empty list;
// malformed YAML throws std::runtime_error "Неверный формат файла" (in
// Windows-1251) and nothing read before it is kept.
ProviderList ReadProviderList(const std::string& path);

// Where a provider and each of its components stand in the file, for the
// configuration checker.
struct ProviderMarks {
    YamlMark provider;
    std::vector<YamlMark> components;
};

// The same for the file's content already in memory (UTF-8); with marks, one
// entry per provider is appended there.
ProviderList ReadProviderListFromText(std::string_view text,
                                      std::vector<ProviderMarks>* marks = nullptr);

// One provider named "Name" holding every component of the chosen providers
// once, at the place of its first occurrence.
Provider MergeProviders(const ProviderList& chosen);

// "name: N\n" and one "component: C\n" per component, for the trace.
std::string DescribeProvider(const Provider& provider);
// Traces DescribeProvider of every provider, as the sites are read.
void TraceProviders(const ProviderList& providers);

}  // namespace velk
