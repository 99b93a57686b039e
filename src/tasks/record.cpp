#include "tasks/record.h"

#include <sstream>

namespace velk {

namespace {

constexpr std::string_view kRecordGroup = "record";

struct NamedRoot {
    std::string_view name;
    RegHandle root;
};
constexpr NamedRoot kRoots[] = {
    {"HKEY_LOCAL_MACHINE", kHkeyLocalMachine},
    {"HKEY_CLASSES_ROOT", kHkeyClassesRoot},
    {"HKEY_CURRENT_USER", kHkeyCurrentUser},
    {"HKEY_USERS", kHkeyUsers},
};

template <typename Number>
std::string LittleEndian(Number number) {
    std::string bytes;
    auto bits = static_cast<std::uint64_t>(number);
    for (std::size_t i = 0; i < sizeof(Number); ++i, bits >>= 8) {
        bytes.push_back(static_cast<char>(bits & 0xFF));
    }
    return bytes;
}

template <typename Number>
Number ParseHex(const std::string& text) {
    Number number = 0;
    std::istringstream in(text);
    in >> std::hex >> number;
    return number;
}

}  // namespace

std::optional<RegistryLocation> SplitRegistryLocation(std::string_view text) {
    const std::size_t slash = text.find('\\');
    if (slash == std::string_view::npos) return std::nullopt;
    return RegistryLocation{RegistryRoot(text.substr(0, slash)),
                            std::string(text.substr(slash + 1))};
}

RegHandle RegistryRoot(std::string_view name) {
    for (const auto& root : kRoots) {
        if (root.name == name) return root.root;
    }
    return 0;
}

std::string_view RegistryRootName(RegHandle root) {
    for (const auto& named : kRoots) {
        if (named.root == root) return named.name;
    }
    return {};
}

std::uint32_t RegistryValueType(std::string_view name) {
    if (name == "REG_SZ") return kRegSz;
    if (name == "REG_EXPAND_SZ") return kRegExpandSz;
    if (name == "REG_BINARY") return kRegBinary;
    if (name == "REG_DWORD") return kRegDword;
    if (name == "REG_QWORD") return kRegQword;
    return kRegNone;
}

std::uint32_t ParseHexDword(const std::string& text) { return ParseHex<std::uint32_t>(text); }

std::int64_t ParseHexQword(const std::string& text) { return ParseHex<std::int64_t>(text); }

std::string ParseHexBytes(const std::string& text) {
    std::string bytes;
    std::istringstream in(text);
    in >> std::hex;
    std::uint32_t item = 0;
    while (in >> item) {
        bytes.push_back(static_cast<char>(item & 0xFF));
        if (in.peek() == ',') in.get();
    }
    return bytes;
}

std::optional<std::string> RecordData(const Record& record) {
    switch (record.type) {
        case kRegSz:
        case kRegExpandSz:
            return std::string(record.value.c_str(), record.value.size() + 1);
        case kRegBinary:
            return ParseHexBytes(record.value);
        case kRegDword:
            return LittleEndian(ParseHexDword(record.value));
        case kRegQword:
            return LittleEndian(ParseHexQword(record.value));
    }
    return std::nullopt;
}

std::vector<std::shared_ptr<Record>> ReadRecords(const YamlPairs& pairs) {
    return ReadGroups<Record>(
        pairs, kRecordGroup, "bits",
        [](Record& current, std::string_view field, const std::string& value) {
            if (field == "bits") {
                current.bits = value;
            } else if (field == "key") {
                // Without a backslash no root is named.
                auto location = SplitRegistryLocation(value).value_or(RegistryLocation{0, value});
                current.root = location.root;
                current.subkey = std::move(location.subkey);
            } else if (field == "type") {
                current.type = RegistryValueType(value);
            } else if (field == "name") {
                current.name = value;
            } else if (field == "value") {
                current.value = value;
            }
        });
}

}  // namespace velk
