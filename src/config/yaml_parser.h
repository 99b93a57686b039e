#pragma once

#include <yaml.h>

#include <fstream>
#include <new>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace velk {

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

// What the user is told about a configuration file libyaml cannot read.
inline std::runtime_error YamlFormatError() {
    return std::runtime_error(Utf8ToCp1251("Неверный формат файла"));
}

}  // namespace velk
