#include "contract/resources_contract.h"
#include "platform/win32/win32_resources.h"

namespace velk::test {

std::unique_ptr<Resources> MakeResources() { return std::make_unique<Win32Resources>(); }

}  // namespace velk::test
