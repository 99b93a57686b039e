#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/yaml_mark.h"

namespace velk {

// One component file flattened into (key, value) pairs in document order.
// Repeated keys stay, each as its own pair. Keys keep the bytes of the file;
// values are in Windows-1251.
//
// Keys of a block mapping whose key begins with "-" are prefixed with that
// key without the "-" and a colon ("-package:" + "title:" gives
// "package:title"). The end of any block clears the prefix, and every scalar
// that follows a key is a value of it, so a sequence under one key gives one
// pair per item.
using YamlPairs = std::vector<std::pair<std::string, std::string>>;

// Reads a component file. A file that cannot be opened gives no pairs; a
// syntax error throws std::runtime_error "Неверный формат файла" (in
// Windows-1251) and none of the pairs read before it are kept.
YamlPairs ReadYamlPairs(const std::string& path);

// Where a pair stands in its file, for the configuration checker.
struct YamlPairMark {
    YamlMark key;
    YamlMark value;
    std::size_t group = 0;  // how many "-group" mappings began before the pair
    bool lossy = false;     // the value had characters that Windows-1251 lacks
};

// The same for a file's content already in memory (UTF-8); with marks, one
// mark per pair is appended there.
YamlPairs ReadYamlPairsFromText(std::string_view text, std::vector<YamlPairMark>* marks = nullptr);

// The field of a key made inside a "-group" mapping ("group:field"), or
// nothing when the key belongs to another group or to none.
std::optional<std::string_view> GroupField(std::string_view key, std::string_view group);

// The "-group" mappings of a file, in order, as items made by make_shared.
// The field `opener` starts a new item, so it must be a group's first key: a
// key written before it lands in the previous item, and keys before the
// file's first opener belong to none and are dropped. Every field, the
// opener included, goes to apply(item, field, value) of the latest item.
template <typename Item, typename Apply>
std::vector<std::shared_ptr<Item>> ReadGroups(const YamlPairs& pairs, std::string_view group,
                                              std::string_view opener, Apply apply) {
    std::vector<std::shared_ptr<Item>> items;
    for (const auto& [key, value] : pairs) {
        const auto field = GroupField(key, group);
        if (!field) continue;
        if (*field == opener) items.push_back(std::make_shared<Item>());
        if (!items.empty()) apply(*items.back(), *field, value);
    }
    return items;
}

// The value of the first pair whose key equals `key` exactly, or "".
std::string FindValue(const YamlPairs& pairs, std::string_view key);

}  // namespace velk
