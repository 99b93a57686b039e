#pragma once

#include <string_view>

namespace velk::web {

// bridge.js, compiled in.
extern const std::string_view kBridgeScript;

}  // namespace velk::web
