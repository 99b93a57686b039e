#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "lint/component_rules.h"
#include "lint/key_rules.h"

namespace velk {

// The pairs of one "-group" item: from its opener to the next one, as the
// reader assigns them.
struct Item {
    const ComponentFile* file;
    std::vector<std::size_t> pairs;

    // The index of the field's pair that the reader keeps (the last one).
    std::optional<std::size_t> Pair(std::string_view field, std::string_view group) const {
        std::optional<std::size_t> found;
        for (const std::size_t i : pairs) {
            if (GroupField(file->pairs[i].first, group) == field) found = i;
        }
        return found;
    }
    std::optional<YamlMark> Mark(std::string_view field, std::string_view group) const {
        const auto pair = Pair(field, group);
        if (!pair) return std::nullopt;
        return file->marks[*pair].value;
    }
    YamlMark MarkOr(std::string_view field, std::string_view group) const {
        return Mark(field, group).value_or(file->marks[pairs.front()].key);
    }
};

inline std::vector<Item> ItemsOf(const ComponentFile& file, const GroupKind& kind) {
    std::vector<Item> items;
    for (std::size_t i = 0; i < file.pairs.size(); ++i) {
        const auto field = GroupField(file.pairs[i].first, kind.group);
        if (!field) continue;
        if (*field == kind.opener) items.push_back({&file, {}});
        if (!items.empty()) items.back().pairs.push_back(i);
    }
    return items;
}

}  // namespace velk
