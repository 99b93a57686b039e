#pragma once

#include <string>

namespace velk {

class Internet;
class SystemInfo;
class PrivateFiles;
class Progress;
struct RunContext;

// The configuration archive's address: on the download server named at build
// time, unless the run was given another one (the /config-url= switch).
std::string ConfigurationUrl(const RunContext& run);

// Downloads the configuration archive into a new temporary file, unpacks it
// into the temporary folder's "velk_data", made anew and private, which then
// becomes run.dataFolder, and deletes the archive. (During a run the
// temporary folder is the run's own work folder.) Does nothing in localMode.
// The download reports to progress when given. Throws std::runtime_error
// with the user's text (Windows-1251) when the download, the temporary folder
// or the unpacking fails.
void FetchConfiguration(Internet& internet, SystemInfo& system, PrivateFiles& files,
                        RunContext& run, Progress* progress = nullptr);

}  // namespace velk
