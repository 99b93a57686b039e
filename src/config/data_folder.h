#pragma once

#include <string>

namespace velk {

// Where the configuration lives: "data" below the current directory until a
// fetch has unpacked the archive, then the temporary folder's "velk_data".
// The path has no trailing separator; readers append "/" and a file name.
// Written only on the user-interface thread, never while tasks run.
std::string DataFolder();
void SetDataFolder(std::string path);

// Set at start-up by the "local" switch: the configuration is then read from
// "data" as laid out by hand, and nothing is fetched.
extern bool localMode;

}  // namespace velk
