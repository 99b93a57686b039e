#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tasks/browser_task.h"

// Any text must give a list, never more codes than its tokens may hold.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::size_t codes = velk::ParseActionList(text).size();
    if (codes > (size / 2 + 1) * velk::kMaxActionRange) std::abort();
    return 0;
}
