#pragma once

#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/system_info.h"

namespace velk {

// The machine as the component files describe it. Every call asks the system
// afresh; nothing is cached. Texts are Windows-1251.

// "x64" when this 32-bit process runs under WOW64, otherwise "x32". Throws
// std::runtime_error with the message for the user when the system cannot
// tell.
std::string MachineBitness(SystemInfo& system);

// The registry view that holds the machine's own keys for a bitness that
// MachineBitness gave: a 32-bit program must ask for the 64-bit view
// explicitly, or its machine keys land under Wow6432Node where 64-bit
// programs never look. 0 (the program's own view) elsewhere.
std::uint32_t MachineRegistryView(const std::string& bitness);

// The Windows edition's name, or the "unknown system" text when the version
// is not one of those the wizard knows.
std::string WindowsName(SystemInfo& system);

// Every name WindowsName gives for a version it knows, newest first.
std::vector<std::string> KnownWindowsNames();

// The Internet Explorer version from HKEY_LOCAL_MACHINE; empty when the
// browser's key is missing or holds no usable text.
std::string BrowserVersion(Registry& registry);

}  // namespace velk
