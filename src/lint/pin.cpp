#include "lint/pin.h"

#include <filesystem>
#include <fstream>
#include <map>

#include "config/yaml_parser.h"
#include "lint/group_items.h"
#include "lint/linter.h"
#include "platform/digest.h"

namespace velk {
namespace {

// A file split after each line feed, so that joining gives it back.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(start, next - start));
        start = next;
    }
    return lines;
}

std::string LineEnding(const std::string& line) {
    if (line.ends_with("\r\n")) return "\r\n";
    return "\n";
}

// The value written at column of line: a quoted scalar with its quotes, or a
// plain one up to a blank or a comment.
std::size_t ValueLength(const std::string& line, std::size_t column) {
    if (column >= line.size()) return 0;
    const char quote = line[column];
    if (quote == '"' || quote == '\'') {
        const std::size_t end = line.find(quote, column + 1);
        return end == std::string::npos ? line.size() - column : end + 1 - column;
    }
    const std::size_t end = line.find_first_of(" \t\r\n#", column);
    return (end == std::string::npos ? line.size() : end) - column;
}

struct Edit {
    std::optional<YamlMark> replace;  // the old hash's place, or nothing: insert
    YamlMark after;                   // the line of SrcUrl's value and the column of its key
    std::string hash;
};

std::vector<Edit> EditsOf(const ComponentFile& file, const std::string& copies) {
    std::vector<Edit> edits;
    for (const GroupKind& kind : {GroupKind{"package", "name"}, GroupKind{"certificate", "name"}}) {
        for (const Item& item : ItemsOf(file, kind)) {
            const auto url = item.Pair("SrcUrl", kind.group);
            if (!url) continue;
            const auto copy = std::filesystem::path(copies) / DownloadName(file.pairs[*url].second);
            if (DownloadName(file.pairs[*url].second).empty() ||
                !std::filesystem::is_regular_file(copy)) {
                continue;
            }
            const std::string hash =
                DigestHex(DigestKind::Sha256, ReadConfigurationFile(copy.string()));
            const auto pin = item.Pair("Sha256", kind.group);
            if (pin && file.pairs[*pin].second == hash) continue;
            edits.push_back({pin ? std::optional(file.marks[*pin].value) : std::nullopt,
                             YamlMark{file.marks[*url].value.line, file.marks[*url].key.column},
                             hash});
        }
    }
    return edits;
}

}  // namespace

PinCount PinFolder(const std::string& folder, const std::string& copies) {
    PinCount count;
    for (const std::string& name : ComponentFiles(folder)) {
        ComponentFile file;
        std::vector<Finding> ignored;
        if (!ReadComponentFile(folder, name, file, ignored)) continue;
        const std::vector<Edit> edits = EditsOf(file, copies);
        if (edits.empty()) continue;
        const std::string path = folder + "/" + name;
        std::vector<std::string> lines = Lines(ReadConfigurationFile(path));
        // From the bottom up, so that the places of the edits above stay.
        std::multimap<std::size_t, const Edit*, std::greater<>> byLine;
        for (const Edit& edit : edits) {
            byLine.emplace(edit.replace ? edit.replace->line : edit.after.line, &edit);
        }
        for (const auto& [line, edit] : byLine) {
            std::string& text = lines[line];
            if (edit->replace) {
                text.replace(edit->replace->column, ValueLength(text, edit->replace->column),
                             edit->hash);
                ++count.corrected;
            } else {
                const std::string ending = LineEnding(text);
                if (!text.ends_with('\n')) text += ending;
                lines.insert(
                    lines.begin() + static_cast<std::ptrdiff_t>(line) + 1,
                    std::string(edit->after.column, ' ') + "Sha256: " + edit->hash + ending);
                ++count.written;
            }
        }
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        for (const std::string& text : lines) out << text;
    }
    return count;
}

}  // namespace velk
