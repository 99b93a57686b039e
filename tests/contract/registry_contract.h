#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace velk::test {

// One registry the suite runs against. arch names the system kind ("win64":
// this program under WOW64, "win32": a 32-bit system). removeTree deletes a
// key with everything below it in both views; the suite only writes below
// keys it removes afterwards.
struct RegistryTarget {
    std::string arch;
    std::function<std::unique_ptr<Registry>()> make;
    std::function<void(RegHandle root, const std::string& path)> removeTree;
};

inline void PrintTo(const RegistryTarget& target, std::ostream* out) { *out << target.arch; }

std::vector<RegistryTarget> RegistryTargets();

}  // namespace velk::test
