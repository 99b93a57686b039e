#include "engine/install_task.h"

#include "platform/codepage.h"

namespace velk {
namespace {

std::string DetailOr(const std::string& detail, std::string_view word) {
    return detail.empty() ? Utf8ToCp1251(word) : detail;
}

}  // namespace

std::string InstallTask::StatusText() const {
    switch (status) {
        case TaskStatus::NotInstalled:
        case TaskStatus::Downloaded:
            return DetailOr(statusDetail, "не установлено");
        case TaskStatus::Installed:
        case TaskStatus::InstalledOtherVersion:
            return DetailOr(statusDetail, "установлено");
        case TaskStatus::Failed:
            return Utf8ToCp1251("ошибка");
    }
    return Utf8ToCp1251("неизвестный статус");
}

std::string DownloadAwareStatusText(TaskStatus status, const std::string& detail,
                                    std::string_view absentWord, std::string_view presentWord) {
    switch (status) {
        case TaskStatus::NotInstalled:
            return Utf8ToCp1251(absentWord);
        case TaskStatus::Downloaded:
            return Utf8ToCp1251("загружено");
        case TaskStatus::Installed:
        case TaskStatus::InstalledOtherVersion:
            return DetailOr(detail, presentWord);
        case TaskStatus::Failed:
            return Utf8ToCp1251("ошибка");
    }
    return Utf8ToCp1251("неизвестный статус");
}

}  // namespace velk
