#include "app/command_line.h"

namespace velk {

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    static constexpr std::string_view kConfigUrl = "config-url=";
    CommandLine line;
    for (const auto& argument : arguments) {
        if (argument.empty() || (argument[0] != '/' && argument[0] != '-')) continue;
        const std::string_view name = std::string_view(argument).substr(1);
        // Exact and case-sensitive, as configuration authors have always used it.
        if (name == "local") {
            line.local = true;
        } else if (name == "web-print") {
            line.webPrint = true;
        } else if (name.starts_with(kConfigUrl)) {
            line.configUrl = name.substr(kConfigUrl.size());
        }
    }
    return line;
}

}  // namespace velk
