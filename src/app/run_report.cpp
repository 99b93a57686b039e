#include "app/run_report.h"

#include <string>
#include <utility>

#include "config/machine.h"
#include "platform/codepage.h"
#include "platform/system_info.h"
#include "tasks/record.h"

namespace velk {
namespace {

// The console shows a download's percentage at most this often.
constexpr auto kPercentInterval = std::chrono::seconds(1);

std::string_view ChangeWord(Change kind) {
    switch (kind) {
        case Change::RegistryValue:
            return "Записано в реестр: ";
        case Change::Certificate:
            return "Сертификат импортирован (отпечаток, хранилище): ";
        case Change::Zone:
            return "Узел добавлен в зону надёжных сайтов: ";
        case Change::CompatibilityView:
            return "Узел в списке режима совместимости: ";
        case Change::File:
            return "Файл скопирован: ";
    }
    return "";
}

bool WritesUserProfile(Change kind, const std::string& what) {
    switch (kind) {
        case Change::Zone:
        case Change::CompatibilityView:
            return true;
        case Change::RegistryValue:
            // The task names the value's root as the registry file does.
            return what.starts_with(RegistryRootName(kHkeyCurrentUser));
        default:
            return false;
    }
}

}  // namespace

RunReport::RunReport(LineSink console, LineSink log, bool asSystem, Clock clock)
    : console_(std::move(console)), log_(std::move(log)), asSystem_(asSystem), clock_(clock) {}

void RunReport::Step(std::string_view utf8) {
    if (console_) console_(utf8);
    Detail(utf8);
}

void RunReport::Detail(std::string_view utf8) {
    if (log_) log_(utf8);
}

std::string_view RunReport::ProfileMark(bool writesUserProfile) const {
    return asSystem_ && writesUserProfile ? " (только профиль SYSTEM)" : "";
}

void RunReport::Machine(SystemInfo& system) {
    OsVersion version;
    std::string number = "?";
    if (system.GetVersionEx(&version)) {
        number = std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
                 std::to_string(version.build);
        if (!version.servicePack.empty()) number += " " + Cp1251ToUtf8(version.servicePack);
    }
    Detail("Система: " + Cp1251ToUtf8(WindowsName(system)) + ", версия " + number + ", " +
           Cp1251ToUtf8(MachineBitness(system)) + (asSystem_ ? ", учётная запись SYSTEM" : ""));
}

void RunReport::Sites(const ProviderList& sites) {
    for (const auto& site : sites) Step("Выбран сайт: " + Cp1251ToUtf8(site->name));
}

void RunReport::States(std::string_view heading, const ProviderList& sites, const TaskList& tasks,
                       bool toConsole) {
    const auto line = [&](std::string_view text) { toConsole ? Step(text) : Detail(text); };
    line(heading);
    for (const auto& site : sites) {
        for (const auto& component : site->components) {
            for (const auto& task : tasks) {
                if (task->component != component) continue;
                line(Cp1251ToUtf8(site->name) + " | " + Cp1251ToUtf8(task->name) + " | " +
                     Cp1251ToUtf8(task->StatusText()) +
                     std::string(ProfileMark(task->WritesUserProfile())));
            }
        }
    }
}

void RunReport::DownloadBegins(const std::string& item) { Step("Загрузка " + Cp1251ToUtf8(item)); }

void RunReport::DownloadStarted(const std::string& url, std::uint64_t totalBytes) {
    received_ = 0;
    lastPercent_ = clock_();
    Detail("Адрес " + Cp1251ToUtf8(url) + ", размер " +
           (totalBytes != 0 ? std::to_string(totalBytes) + " байт" : std::string("не указан")));
}

void RunReport::DownloadAdvanced(std::uint64_t percent, std::uint64_t receivedBytes) {
    received_ = receivedBytes;
    const auto now = clock_();
    if (now - lastPercent_ < kPercentInterval) return;
    lastPercent_ = now;
    if (console_) console_("  " + std::to_string(percent) + " %");
}

void RunReport::InstallBegins(const std::string& item) {
    if (received_ != 0) Detail("Загружено " + std::to_string(received_) + " байт");
    received_ = 0;
    Step("Установка " + Cp1251ToUtf8(item));
}

void RunReport::ProgramStarts(const std::string& commandLine) {
    Detail("Запуск: " + Cp1251ToUtf8(commandLine));
}

void RunReport::ProgramEnded(std::uint32_t exitCode) {
    Detail("Код завершения программы: " + std::to_string(exitCode));
}

void RunReport::ProgramFailed(std::uint32_t systemError) {
    Detail("Программа не запущена или не дождались её завершения, код ошибки системы: " +
           std::to_string(systemError));
}

void RunReport::Changed(Change kind, const std::string& what) {
    const std::string_view mark = ProfileMark(WritesUserProfile(kind, what));
    const std::string text = std::string(ChangeWord(kind)) + Cp1251ToUtf8(what);
    // The console hears only what a user would have missed.
    if (!mark.empty()) {
        Step(text + std::string(mark));
    } else {
        Detail(text);
    }
}

void RunReport::TaskFinished(const InstallTask& task) {
    Detail((task.status == TaskStatus::Failed ? "Ошибка: " : "Готово: ") + Cp1251ToUtf8(task.name));
}

void RunReport::RunFinished(const std::string* failure) {
    if (failure == nullptr) {
        failure_.clear();
        Step("Установка завершена");
        return;
    }
    failure_ = Cp1251ToUtf8(*failure);
    Step("Ошибка в процессе установки: " + failure_);
}

}  // namespace velk
