#pragma once

#include <string>

namespace velk {

class Internet;
class SystemInfo;
class PrivateFiles;

// The configuration archive's address: on the download server named at build
// time, unless the command line gave another one.
std::string ConfigurationUrl();
// Replaces the whole address (the /config-url= switch); an empty text goes
// back to the built-in one.
void SetConfigurationUrl(std::string url);

// Downloads the configuration archive into a new temporary file, unpacks it
// into the temporary folder's "velk_data", made anew and private, which then
// becomes DataFolder(), and deletes the archive. (During a run the temporary
// folder is the run's own work folder.) Does nothing in localMode. Throws
// std::runtime_error with the user's text (Windows-1251) when the download,
// the temporary folder or the unpacking fails.
void FetchConfiguration(Internet& internet, SystemInfo& system, PrivateFiles& files);

}  // namespace velk
