#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "config/yaml_mark.h"

namespace velk {

enum class Severity { Warning, Error };

// One thing the configuration checker found. Texts are UTF-8: they are meant
// for the author's terminal and review tools, not for the wizard's pages.
struct Finding {
    std::string file;        // relative to the configuration folder
    std::size_t line = 0;    // 1-based
    std::size_t column = 0;  // 1-based
    Severity severity = Severity::Error;
    std::string rule;
    std::string message;
};

// The findings of one file, each placed by a mark of that file.
class FileFindings {
  public:
    FileFindings(std::vector<Finding>& all, std::string file) : all_(all), file_(std::move(file)) {}

    void Add(YamlMark mark, Severity severity, std::string rule, std::string message) {
        all_.push_back(
            {file_, mark.line + 1, mark.column + 1, severity, std::move(rule), std::move(message)});
    }
    void Error(YamlMark mark, std::string rule, std::string message) {
        Add(mark, Severity::Error, std::move(rule), std::move(message));
    }
    void Warning(YamlMark mark, std::string rule, std::string message) {
        Add(mark, Severity::Warning, std::move(rule), std::move(message));
    }

  private:
    std::vector<Finding>& all_;
    std::string file_;
};

}  // namespace velk
