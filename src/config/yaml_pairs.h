#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

// The same for a file's content already in memory (UTF-8).
YamlPairs ReadYamlPairsFromText(std::string_view text);

// The field of a key made inside a "-group" mapping ("group:field"), or
// nothing when the key belongs to another group or to none.
std::optional<std::string_view> GroupField(std::string_view key, std::string_view group);

// The value of the first pair whose key equals `key` exactly, or "".
std::string FindValue(const YamlPairs& pairs, std::string_view key);

}  // namespace velk
