#include "platform/win32/win32_com.h"

#include <objbase.h>

namespace velk {

std::int32_t Win32Com::Initialize() { return static_cast<std::int32_t>(CoInitialize(nullptr)); }

void Win32Com::Uninitialize() { CoUninitialize(); }

}  // namespace velk
