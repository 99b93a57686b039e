#pragma once

#include <string>

namespace velk {

class Internet;
class SystemInfo;

// The configuration archive's address: on the download server named at build
// time, unless the command line gave another one.
std::string ConfigurationUrl();
// Replaces the whole address (the /config-url= switch); an empty text goes
// back to the built-in one.
void SetConfigurationUrl(std::string url);

// Downloads the configuration archive into a new temporary file and unpacks
// it into the temporary folder's "velk_data", which then becomes DataFolder().
// Files of earlier runs stay unless the archive brings them anew. Does
// nothing in localMode. Throws std::runtime_error with the user's text
// (Windows-1251) when the download, the temporary folder or the unpacking
// fails.
void FetchConfiguration(Internet& internet, SystemInfo& system);

}  // namespace velk
