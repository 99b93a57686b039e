#include "app/run_log.h"

#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <utility>

#include "platform/codepage.h"
#include "platform/system_errors.h"

namespace velk {
namespace {

std::tm LocalTime(std::time_t when) {
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &when);
#else
    localtime_r(&when, &local);
#endif
    return local;
}

}  // namespace

RunLog::RunLog(PrivateFiles& files, const std::string& path, std::function<std::string()> clock)
    : files_(files), file_({}, {&files}), clock_(std::move(clock)) {
    const long error = files_.CreateNew(path, file_.Put());
    if (error != kErrorSuccess) {
        throw std::runtime_error(Utf8ToCp1251("Не удалось создать журнал ") + path +
                                 Utf8ToCp1251(", код ошибки системы: ") +
                                 std::to_string(static_cast<unsigned long>(error)));
    }
}

void RunLog::Line(std::string_view utf8) {
    std::string line = clock_() + " ";
    line.append(utf8);
    line += "\r\n";
    std::lock_guard lock(mutex_);
    if (failed_) return;
    failed_ = files_.Write(file_.get(), line.data(), line.size()) != kErrorSuccess;
}

std::string LocalTimeStamp() {
    const auto now = std::chrono::system_clock::now();
    const std::tm local = LocalTime(std::chrono::system_clock::to_time_t(now));
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis));
    return text;
}

std::string DefaultLogPath(const std::string& temp, std::time_t when) {
    const std::tm local = LocalTime(when);
    char name[64];
    std::snprintf(name, sizeof name, "velk-%04d%02d%02d-%02d%02d%02d.log", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return temp + name;
}

}  // namespace velk
