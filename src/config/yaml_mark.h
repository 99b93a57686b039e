#pragma once

#include <cstddef>

namespace velk {

// A place in a configuration file, zero-based as libyaml counts.
struct YamlMark {
    std::size_t line = 0;
    std::size_t column = 0;
};

}  // namespace velk
