#include "contract/com_contract.h"
#include "platform/win32/win32_com.h"

namespace velk::test {

std::unique_ptr<Com> MakeCom() { return std::make_unique<Win32Com>(); }

}  // namespace velk::test
