#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/yaml_pairs.h"
#include "platform/registry.h"

namespace velk {

// One registry value a component needs: where it lives, its type and its data
// in the text form of the component file. Also names a registry location for
// the kinds that only read one.
struct Record {
    RegHandle root = 0;  // 0: the file named no known root
    std::string subkey;
    std::string name;  // empty: the key's default value
    std::string value;
    std::uint32_t type = kRegNone;  // kRegNone: the file named no known type
    std::string bits;               // "x32", "x64" or "all"
};

// The root for its full name ("HKEY_LOCAL_MACHINE" and the three others,
// exactly as spelled); 0 for anything else.
RegHandle RegistryRoot(std::string_view name);
// The inverse: the root's name, empty for 0.
std::string_view RegistryRootName(RegHandle root);

// A key written "ROOT\sub\key", split at the first backslash; the root is 0
// when the text before it names none. Nothing for a text without a
// backslash, which each component kind reads in its own way.
struct RegistryLocation {
    RegHandle root = 0;
    std::string subkey;
};
std::optional<RegistryLocation> SplitRegistryLocation(std::string_view text);

// The value type for its name ("REG_SZ", "REG_EXPAND_SZ", "REG_BINARY",
// "REG_DWORD", "REG_QWORD", exactly as spelled); kRegNone for anything else.
std::uint32_t RegistryValueType(std::string_view name);

// The text forms of numbers are read as a standard stream switched to
// hexadecimal reads them: leading blanks skipped, reading stops at the first
// character that is no digit. A text that does not start with a number gives 0.
std::uint32_t ParseHexDword(const std::string& text);
std::int64_t ParseHexQword(const std::string& text);

// Bytes written as hexadecimal numbers separated by "," or blanks; each item
// keeps its low byte. The list ends at the first item that cannot be read, so
// "03,,00" gives 03 alone and "01;02" gives 01 alone.
std::string ParseHexBytes(const std::string& text);

// The bytes the registry holds for the record's value: a string with its NUL,
// the parsed bytes, or a little-endian number. nullopt for an unknown type,
// which is never written.
std::optional<std::string> RecordData(const Record& record);

// The records of a component file's "-record" groups, in file order. Each
// group must begin with "bits", which starts a new record; the other keys of
// a group fill the record begun last.
std::vector<std::shared_ptr<Record>> ReadRecords(const YamlPairs& pairs);

}  // namespace velk
