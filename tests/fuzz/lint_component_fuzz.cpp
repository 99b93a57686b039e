// The checker over a hostile component file: the places and groups it pairs
// with the reader's pairs must never run out of step.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "lint/component_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velk::ComponentFile component;
    component.name = "fuzz.yaml";
    std::vector<velk::Finding> findings;
    try {
        component.pairs = velk::ReadYamlPairsFromText({reinterpret_cast<const char*>(data), size},
                                                      &component.marks);
    } catch (const std::runtime_error&) {
        return 0;
    }
    // No such folder: the checks of local copies find none.
    velk::CheckComponent(component, "/nonexistent-velk-fuzz", findings);
    return 0;
}
