#pragma once

#include <ctime>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/private_files.h"

namespace velk {

// The log of one run: UTF-8 lines, each after a time stamp. The program runs
// elevated, so the file is made anew with the private descriptor: whatever
// had its name (a file someone planted, a link) is deleted, never written
// through. A worker and the main thread may write at once.
class RunLog {
  public:
    // path is Windows-1251. Throws std::runtime_error with the user's text
    // (Windows-1251) naming the path and the system's error code when the file
    // cannot be made.
    RunLog(PrivateFiles& files, const std::string& path, std::function<std::string()> clock);

    // Writes "<clock()> <text>" and a line end. A failed write is not
    // thrown: the run matters more than its log, which then stops.
    void Line(std::string_view utf8);

  private:
    std::mutex mutex_;
    PrivateFiles& files_;
    PrivateFile file_;
    std::function<std::string()> clock_;
    bool failed_ = false;
};

// "YYYY-MM-DD HH:MM:SS.mmm", local time, for the log's clock.
std::string LocalTimeStamp();

// "<temp>velk-YYYYMMDD-HHMMSS.log" for the moment when (local time); temp
// ends with its separator.
std::string DefaultLogPath(const std::string& temp, std::time_t when);

}  // namespace velk
