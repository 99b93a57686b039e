#include "app/command_line.h"

#include <string_view>

#include "platform/codepage.h"

namespace velk {
namespace {

struct Switch {
    std::string_view name;  // lower case
    bool takesValue;
};

constexpr Switch kSwitches[] = {
    {"quiet", false},     {"check", false},        {"list", false}, {"sites", true},
    {"norestart", false}, {"forcerestart", false}, {"log", true},   {"trace", false},
    {"?", false},         {"help", false},
};

const Switch* FindSwitch(std::string_view name) {
    for (const auto& known : kSwitches) {
        if (known.name == name) return &known;
    }
    return nullptr;
}

void SetMode(CommandLine& line, RunMode mode, const std::string& argument) {
    if (line.mode != RunMode::Pages && line.mode != mode && line.error.empty()) {
        line.error = "ключ " + argument + " нельзя сочетать с другим режимом работы";
    }
    line.mode = mode;
}

void Apply(CommandLine& line, std::string_view name, const std::string& value,
           const std::string& argument, bool& noRestart) {
    if (name == "quiet") {
        SetMode(line, RunMode::Quiet, argument);
    } else if (name == "check") {
        SetMode(line, RunMode::Check, argument);
    } else if (name == "list") {
        SetMode(line, RunMode::List, argument);
    } else if (name == "sites") {
        line.sites = value;
    } else if (name == "norestart") {
        noRestart = true;
    } else if (name == "forcerestart") {
        line.forceRestart = true;
    } else if (name == "log") {
        line.logPath = value;
    } else if (name == "trace") {
        line.trace = true;
    }
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    static constexpr std::string_view kConfigUrl = "config-url=";
    CommandLine line;
    bool help = false;
    bool noRestart = false;
    std::string unknown;
    const auto complain = [&line](std::string text) {
        if (line.error.empty()) line.error = std::move(text);
    };
    for (const auto& argument : arguments) {
        if (argument.empty() || (argument[0] != '/' && argument[0] != '-')) {
            line.ignored.push_back(argument);
            if (unknown.empty()) unknown = argument;
            continue;
        }
        const std::string_view name = std::string_view(argument).substr(1);
        // Exact and case-sensitive, as configuration authors have always used them.
        if (name == "local") {
            line.local = true;
            continue;
        }
        if (name == "web-print") {
            line.webPrint = true;
            continue;
        }
        if (name.starts_with(kConfigUrl)) {
            line.configUrl = name.substr(kConfigUrl.size());
            continue;
        }
        const auto equals = name.find('=');
        const std::string key = AsciiLower(name.substr(0, equals));
        const bool hasValue = equals != std::string_view::npos;
        const std::string value(hasValue ? name.substr(equals + 1) : std::string_view());
        const Switch* known = FindSwitch(key);
        if (known == nullptr) {
            line.ignored.push_back(argument);
            if (unknown.empty()) unknown = argument;
            continue;
        }
        if (key == "?" || key == "help") help = true;
        if (known->takesValue && value.empty()) {
            complain("у ключа " + argument + " нет значения");
        } else if (!known->takesValue && hasValue) {
            complain("ключ " + argument + " не принимает значения");
        }
        Apply(line, key, value, argument, noRestart);
    }
    if (noRestart && line.forceRestart)
        complain("ключи /norestart и /forcerestart исключают друг друга");
    const bool withSites = line.mode == RunMode::Quiet || line.mode == RunMode::Check;
    if (withSites && line.sites.empty()) complain("не указаны сайты: нужен ключ /sites=СПИСОК");
    if (line.mode != RunMode::Pages && !unknown.empty()) complain("неизвестный ключ " + unknown);
    if (help) line.mode = RunMode::Help;
    return line;
}

std::string UsageText() {
    return R"(velk.exe — мастер настройки рабочего места для электронной подписи.

velk.exe [/local] [/config-url=АДРЕС] [/log=ПУТЬ] [/trace]
    Мастер со страницами.
velk.exe /list [/config-url=АДРЕС]
    Показать сайты конфигурации с номерами и компонентами.
velk.exe /check /sites=СПИСОК
    Выяснить, что нужно сайтам и что из этого уже есть; ничего не менять.
velk.exe /quiet /sites=СПИСОК [/norestart | /forcerestart]
    Установить без страниц и вопросов всё, чего не хватает сайтам.

  /sites=СПИСОК     all, или номера (с 1, в порядке providers.yaml) и точные
                    названия сайтов через «;»: /sites="Портал закупок";2
  /norestart        не перезагружать компьютер (по умолчанию)
  /forcerestart     перезагрузить, если установщик этого потребовал
  /log=ПУТЬ         журнал (UTF-8); по умолчанию %TEMP%\velk-ГГГГММДД-ЧЧММСС.log
  /trace            выводить диагностические сообщения
  /local            читать конфигурацию из папки data текущего каталога
  /config-url=АДРЕС загрузить архив конфигурации с этого адреса
  /?, /help         эта справка

Коды завершения:
  0     готово, ничего не недостаёт
  1     /check: чего-то недостаёт; установка: что-то осталось не установленным
  87    ошибка в командной строке или неизвестный сайт
  1602  отменено пользователем
  1603  ошибка при установке
  1619  конфигурацию не удалось загрузить или прочитать
  1622  не удалось создать журнал
  1641  готово, перезагрузка начата
  3010  готово, требуется перезагрузка)";
}

}  // namespace velk
