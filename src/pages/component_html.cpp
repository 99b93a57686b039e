#include "pages/component_html.h"

#include <sstream>

#include "pages/html_text.h"

namespace velk {

std::string LogoHtml(const std::string& logo) {
    std::istringstream words(logo);
    std::string html, word;
    while (words >> word) {
        if (!html.empty()) html += "<br/>";
        html += "<IMG src=\"res:/PNG/#" + EscapeHtml(word) +
                "\" height=\"30px\" style=\"margin-bottom: 2px\"/>";
    }
    return html;
}

std::string GreenCellStart(std::string_view extraStyle, std::string_view attributes) {
    std::string html = "<td";
    if (!attributes.empty()) html.append(" ").append(attributes);
    return html.append(" style=\"color:")
        .append(kGreen)
        .append(";")
        .append(extraStyle)
        .append("\">");
}

std::string StatusBox(const std::string& colour, const std::string& text) {
    return "<p style=\"padding-left: 2px; border: 1px solid; background-color:white;color:" +
           colour + ";\">" + text + "</p>";
}

std::string StatusCell(const std::string& colour, const std::string& text) {
    return "<td>" + StatusBox(colour, text) + "</td>";
}

}  // namespace velk
