#include "lint/site_rules.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "config/provider_list.h"
#include "config/yaml_parser.h"
#include "platform/codepage.h"

namespace velk {
namespace {

constexpr char kProviderFile[] = "providers.yaml";
constexpr std::string_view kComponentEnding = ".yaml";

}  // namespace

void CheckSites(const std::string& folder, const std::vector<std::string>& componentFiles,
                std::vector<Finding>& findings) {
    FileFindings found(findings, kProviderFile);
    const std::string path = folder + "/" + kProviderFile;
    if (!std::filesystem::is_regular_file(path)) {
        found.Error({}, "sites-missing", "нет списка сайтов providers.yaml");
        return;
    }
    ProviderList sites;
    std::vector<ProviderMarks> marks;
    try {
        sites = ReadProviderListFromText(ReadConfigurationFile(path), &marks);
    } catch (const YamlSyntaxError& error) {
        found.Error(error.mark, "yaml-syntax", "YAML не читается: " + error.problem);
        return;
    }

    std::map<std::string, std::size_t> names;  // name -> line
    std::set<std::string> named;
    for (std::size_t i = 0; i < sites.size(); ++i) {
        const Provider& site = *sites[i];
        const std::string name = Cp1251ToUtf8(site.name);
        if (site.components.empty()) {
            found.Error(marks[i].provider, "site-empty", "у сайта «" + name + "» нет компонентов");
        }
        if (const auto [at, added] = names.emplace(name, marks[i].provider.line); !added) {
            found.Error(marks[i].provider, "site-duplicate",
                        "сайт «" + name + "» уже есть в строке " + std::to_string(at->second + 1));
        }
        for (std::size_t c = 0; c < site.components.size(); ++c) {
            const std::string file = site.components[c] + std::string(kComponentEnding);
            named.insert(file);
            if (std::find(componentFiles.begin(), componentFiles.end(), file) !=
                componentFiles.end()) {
                continue;
            }
            found.Error(marks[i].components[c], "component-missing",
                        "сайт «" + name + "» называет компонент «" + site.components[c] +
                            "», но файла " + file + " нет");
        }
    }
    for (const std::string& file : componentFiles) {
        if (named.contains(file)) continue;
        FileFindings(findings, file)
            .Warning({}, "file-unused", "компонент не назван ни одним сайтом и не устанавливается");
    }
}

}  // namespace velk
