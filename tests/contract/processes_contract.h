#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/processes.h"

namespace velk::test {

// One system the Processes suite runs against. On both, "cmd /c exit N" ends
// with N.
struct ProcessesTarget {
    std::string name;
    std::function<std::unique_ptr<Processes>()> make;
    // Makes a copy of the command interpreter runnable at path, a file in an
    // existing folder.
    std::function<void(Processes&, const std::string& path)> copyInterpreter;
};

inline void PrintTo(const ProcessesTarget& target, std::ostream* out) { *out << target.name; }

// Provided by the bindings: the real system under Wine, the fake natively.
std::vector<ProcessesTarget> ProcessesTargets();

}  // namespace velk::test
