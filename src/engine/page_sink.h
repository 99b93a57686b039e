#pragma once

#include <cstdint>

namespace velk {

// Where tasks report progress: the installation page. Send returns only after
// the page has handled the message, so a text pointer passed in lParam stays
// valid for the whole call.
class PageSink {
  public:
    virtual ~PageSink() = default;
    virtual std::intptr_t Send(std::uint32_t message, std::uintptr_t wParam,
                               std::intptr_t lParam) = 0;
};

}  // namespace velk
