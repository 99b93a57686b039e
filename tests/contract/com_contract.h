#pragma once

#include <memory>

#include "platform/com.h"

namespace velk::test {

// Provided by the bindings: the system's COM under Wine, the fake natively.
std::unique_ptr<Com> MakeCom();

}  // namespace velk::test
