#pragma once

#include <memory>

#include "platform/resources.h"

namespace velk::test {

inline constexpr int kContractHtmlId = 103;
inline constexpr int kContractPngId = 200;

// The program's own resources under Wine, a fake holding the same files natively.
std::unique_ptr<Resources> MakeResources();

}  // namespace velk::test
