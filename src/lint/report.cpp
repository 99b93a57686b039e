#include "lint/report.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>

namespace velk {
namespace {

const char* Level(Severity severity) { return severity == Severity::Error ? "error" : "warning"; }

std::string Json(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace

bool HasErrors(const std::vector<Finding>& findings) {
    return std::any_of(findings.begin(), findings.end(),
                       [](const Finding& f) { return f.severity == Severity::Error; });
}

void WriteFindings(const std::vector<Finding>& findings, std::ostream& out) {
    std::size_t errors = 0;
    for (const Finding& f : findings) {
        out << f.file << ':' << f.line << ':' << f.column << ": " << Level(f.severity) << ": "
            << f.message << " [" << f.rule << "]\n";
        if (f.severity == Severity::Error) ++errors;
    }
    out << "velk-lint: ошибок: " << errors << ", предупреждений: " << findings.size() - errors
        << '\n';
}

void WriteSarif(const std::vector<Finding>& findings, std::ostream& out) {
    std::set<std::string> rules;
    for (const Finding& f : findings) rules.insert(f.rule);
    out << "{\"$schema\":\"https://json.schemastore.org/sarif-2.1.0.json\",\"version\":\"2.1.0\","
           "\"runs\":[{\"tool\":{\"driver\":{\"name\":\"velk-lint\",\"rules\":[";
    const char* separator = "";
    for (const std::string& rule : rules) {
        out << separator << "{\"id\":" << Json(rule) << '}';
        separator = ",";
    }
    out << "]}},\"results\":[";
    separator = "";
    for (const Finding& f : findings) {
        out << separator << "{\"ruleId\":" << Json(f.rule) << ",\"level\":\"" << Level(f.severity)
            << "\",\"message\":{\"text\":" << Json(f.message)
            << "},\"locations\":[{\"physicalLocation\":{\"artifactLocation\":{\"uri\":"
            << Json(f.file) << "},\"region\":{\"startLine\":" << f.line
            << ",\"startColumn\":" << f.column << "}}}]}";
        separator = ",";
    }
    out << "]}]}\n";
}

}  // namespace velk
