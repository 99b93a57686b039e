#include "pages/html_text.h"

namespace velk {

namespace {

// Whether out ends with "res" in any letter case.
bool EndsWithRes(const std::string& out) {
    if (out.size() < 3) return false;
    std::string tail = out.substr(out.size() - 3);
    for (char& c : tail) c = static_cast<char>(c | 0x20);
    return tail == "res";
}

}  // namespace

std::string EscapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case ':':
                // "res:" would make the window host turn the text into one of
                // the program's picture addresses, token included.
                out += EndsWithRes(out) ? "&#58;" : ":";
                break;
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

}  // namespace velk
