#pragma once

#include <yaml.h>

#include <fstream>
#include <new>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "config/yaml_mark.h"
#include "platform/codepage.h"

namespace velk {

inline YamlMark MarkOf(const yaml_mark_t& mark) { return {mark.line, mark.column}; }

// A libyaml parser reading UTF-8 text from memory; the text must outlive it.
class YamlParser {
  public:
    explicit YamlParser(std::string_view text) {
        if (!yaml_parser_initialize(&parser_)) throw std::bad_alloc();
        // Configuration files are UTF-8 whatever their first bytes suggest.
        yaml_parser_set_encoding(&parser_, YAML_UTF8_ENCODING);
        yaml_parser_set_input_string(&parser_, reinterpret_cast<const unsigned char*>(text.data()),
                                     text.size());
    }
    ~YamlParser() { yaml_parser_delete(&parser_); }
    YamlParser(const YamlParser&) = delete;
    YamlParser& operator=(const YamlParser&) = delete;

    yaml_parser_t* get() { return &parser_; }

  private:
    yaml_parser_t parser_;
};

// One token or event that libyaml fills, deleted with it. libyaml zeroes the
// item before filling it, and deleting a zeroed item is a no-op, so the guard
// is safe on the error path too.
template <typename Item, void (*Delete)(Item*)>
class YamlItem {
  public:
    YamlItem() = default;
    ~YamlItem() { Delete(&item_); }
    YamlItem(const YamlItem&) = delete;
    YamlItem& operator=(const YamlItem&) = delete;

    Item* get() { return &item_; }
    auto type() const { return item_.type; }
    std::string_view scalar() const {
        return {reinterpret_cast<const char*>(item_.data.scalar.value), item_.data.scalar.length};
    }
    YamlMark start() const { return MarkOf(item_.start_mark); }

  private:
    Item item_{};
};

using YamlToken = YamlItem<yaml_token_t, yaml_token_delete>;
using YamlEvent = YamlItem<yaml_event_t, yaml_event_delete>;

// A configuration file's whole content, read in binary: libyaml normalises
// line breaks itself, and the Windows C library's text mode would stop at a
// Ctrl-Z. Nothing readable (a missing file, a folder, an empty file) reads as
// an empty document.
inline std::string ReadConfigurationFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    if (!(content << in.rdbuf())) return {};
    return std::move(content).str();
}

// What the user is told about a configuration file libyaml cannot read; the
// checker also gives libyaml's own place and words.
class YamlSyntaxError : public std::runtime_error {
  public:
    explicit YamlSyntaxError(const yaml_parser_t& parser)
        : std::runtime_error(Utf8ToCp1251("Неверный формат файла")),
          mark(MarkOf(parser.problem_mark)),
          problem(parser.problem != nullptr ? parser.problem : "") {}

    YamlMark mark;
    std::string problem;
};

}  // namespace velk
