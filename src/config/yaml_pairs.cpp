#include "config/yaml_pairs.h"

#include "config/yaml_parser.h"
#include "platform/codepage.h"
#include "platform/trace.h"

namespace velk {
namespace {

void TraceText(std::string_view label, std::string_view text) {
    if (TraceEnabled()) Trace(std::string(label).append(text));
}

}  // namespace

YamlPairs ReadYamlPairsFromText(std::string_view text, std::vector<YamlPairMark>* marks) {
    YamlPairs pairs;
    std::string key;
    std::string prefix;
    bool keyExpected = false;
    YamlMark keyMark;
    std::size_t groups = 0;

    YamlParser parser(text);
    for (;;) {
        YamlToken token;
        if (!yaml_parser_scan(parser.get(), token.get())) throw YamlSyntaxError(*parser.get());

        switch (token.type()) {
            case YAML_SCALAR_TOKEN:
                if (keyExpected) {
                    key = prefix.empty() ? std::string(token.scalar())
                                         : prefix + ":" + std::string(token.scalar());
                    keyMark = token.start();
                    TraceText("KEY: ", key);
                } else {
                    pairs.emplace_back(key, Utf8ToCp1251(token.scalar()));
                    TraceText("VALUE: ", pairs.back().second);
                    if (marks) {
                        marks->push_back({keyMark, token.start(), groups,
                                          Cp1251ToUtf8(pairs.back().second) != token.scalar()});
                    }
                }
                break;
            case YAML_BLOCK_MAPPING_START_TOKEN:
                if (!key.empty() && key.front() == '-') {
                    prefix = key.substr(1);
                    ++groups;
                }
                Trace("START_TOKEN");
                break;
            case YAML_BLOCK_END_TOKEN:
                // No stack of prefixes: the end of any block, however deep,
                // returns to unprefixed keys.
                prefix.clear();
                Trace("END_TOKEN");
                break;
            case YAML_STREAM_END_TOKEN:
                return pairs;
            default:
                break;
        }
        // Only a KEY token makes the next scalar a key: anything in between
        // (an anchor, a tag) turns it into a value.
        keyExpected = token.type() == YAML_KEY_TOKEN;
    }
}

YamlPairs ReadYamlPairs(const std::string& path) {
    return ReadYamlPairsFromText(ReadConfigurationFile(path));
}

std::optional<std::string_view> GroupField(std::string_view key, std::string_view group) {
    const std::size_t colon = key.find(':');
    if (colon == std::string_view::npos || key.substr(0, colon) != group) return std::nullopt;
    return key.substr(colon + 1);
}

std::string FindValue(const YamlPairs& pairs, std::string_view key) {
    for (const auto& [k, value] : pairs)
        if (k == key) return value;
    return {};
}

}  // namespace velk
