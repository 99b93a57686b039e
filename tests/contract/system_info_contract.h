#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/system_info.h"

namespace velk::test {

// One system the SystemInfo suite runs against, and the kind of Wine prefix
// it stands for ("win64": this program under WOW64, "win32": a 32-bit
// system).
struct SystemInfoTarget {
    std::string arch;
    std::function<std::unique_ptr<SystemInfo>()> make;
};

inline void PrintTo(const SystemInfoTarget& target, std::ostream* out) { *out << target.arch; }

// Provided by the bindings: the real system under Wine, the fake configured
// like each prefix natively.
std::vector<SystemInfoTarget> SystemInfoTargets();

}  // namespace velk::test
