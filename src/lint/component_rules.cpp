#include "lint/component_rules.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>

#include "config/machine.h"
#include "config/version.h"
#include "config/yaml_parser.h"
#include "lint/group_items.h"
#include "lint/public_suffix.h"
#include "platform/codepage.h"
#include "platform/digest.h"
#include "tasks/browser_task.h"
#include "tasks/certificate.h"
#include "tasks/packet.h"
#include "tasks/software_task.h"
#include "tasks/task_factory.h"

namespace velk {
namespace {

constexpr std::string_view kFileNameMark = "FILENAME";
constexpr std::size_t kSha256Digits = 64;
constexpr std::size_t kSha1Bytes = 20;

// URL actions that, allowed in the Trusted sites zone, let any page there
// bring unsigned ActiveX controls or script controls not marked as safe.
constexpr std::pair<std::uint32_t, std::string_view> kUnsafeActions[] = {
    {0x1004, "загрузка неподписанных элементов ActiveX"},
    {0x1201, "использование элементов ActiveX, не помеченных как безопасные"},
};

std::string Quoted(std::string_view text) { return "«" + std::string(text) + "»"; }
std::string Shown(const std::string& cp1251) { return Quoted(Cp1251ToUtf8(cp1251)); }

bool IsHex(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](unsigned char c) { return std::isxdigit(c) != 0; });
}

std::string ReadLocal(const std::filesystem::path& path) {
    return ReadConfigurationFile(path.string());
}

class ComponentChecker {
  public:
    ComponentChecker(const ComponentFile& file, const std::string& folder, FileFindings& findings)
        : file_(file), folder_(folder), findings_(findings) {}

    void CheckDownload(const Item& item, std::string_view group, const std::string& url,
                       const std::string& sha256) {
        const YamlMark urlMark = item.MarkOr("SrcUrl", group);
        if (url.starts_with("http://") && sha256.empty()) {
            findings_.Warning(
                urlMark, "http-unpinned",
                "адрес " + Shown(url) + " без шифрования, а хеш файла не закреплён (ключ Sha256)");
        }
        if (!sha256.empty() && (sha256.size() != kSha256Digits || !IsHex(sha256))) {
            findings_.Error(
                item.MarkOr("Sha256", group), "pin-format",
                "Sha256 должен состоять из 64 шестнадцатеричных цифр: " + Shown(sha256));
            return;
        }
        const std::string local = LocalCopy(url);
        if (sha256.empty() || local.empty()) return;
        const std::string actual = DigestHex(DigestKind::Sha256, ReadLocal(Path(url)));
        const std::string expected = AsciiLower(sha256);
        if (actual != expected) {
            findings_.Error(item.MarkOr("Sha256", group), "pin-mismatch",
                            "файл " + Quoted(local) + " конфигурации имеет SHA-256 " + actual +
                                ", а не указанный " + expected);
        }
    }

    void CheckPackets() {
        constexpr std::string_view kGroup = "package";
        const auto packets = ReadPackets(file_.pairs);
        const auto items = ItemsOf(file_, {kGroup, "name"});
        const std::vector<std::string> editions = KnownWindowsNames();
        for (std::size_t i = 0; i < packets.size(); ++i) {
            const Packet& packet = *packets[i];
            const Item& item = items[i];
            bool explained = false;  // a finding below already says why it fits nothing
            if (packet.bits != "x32" && packet.bits != "x64" && packet.bits != "all") {
                findings_.Error(
                    item.MarkOr("bits", kGroup), "packet-bits",
                    "bits должен быть «x32», «x64» или «all», а не " + Shown(packet.bits));
                explained = true;
            }
            for (const std::string& edition : packet.windows) {
                if (edition == "all" || Contains(editions, edition)) continue;
                std::string trimmed = edition;
                trimmed.erase(0, trimmed.find_first_not_of(' '));
                trimmed.erase(trimmed.find_last_not_of(' ') + 1);
                if (Contains(editions, trimmed)) {
                    findings_.Error(item.MarkOr("windows", kGroup), "windows-blank",
                                    "версия " + Shown(edition) +
                                        " с пробелом не совпадёт ни с одной: запятые в списке "
                                        "пишутся без пробелов");
                    explained = true;
                } else {
                    findings_.Warning(
                        item.MarkOr("windows", kGroup), "windows-unknown",
                        "версия Windows " + Shown(edition) + " не встречается ни на одной машине");
                }
            }
            if (!explained && !AppliesAnywhere(packet, editions)) {
                findings_.Error(item.MarkOr("name", kGroup), "packet-never-applies",
                                "пакет " + Shown(packet.name) +
                                    " не подходит ни одной версии, редакции и разрядности Windows");
            }
            CheckVersions(packet, item, kGroup);
            if (!packet.SrcUrl.empty()) {
                CheckCommandLine(packet, item, kGroup);
                CheckDownload(item, kGroup, packet.SrcUrl, packet.Sha256);
            }
        }
    }

    void CheckCertificates() {
        constexpr std::string_view kGroup = "certificate";
        const auto certificates = ReadCertificates(file_.pairs);
        const auto items = ItemsOf(file_, {kGroup, "name"});
        for (std::size_t i = 0; i < certificates.size(); ++i) {
            const Certificate& certificate = *certificates[i];
            const Item& item = items[i];
            if (!StampWellFormed(certificate.stamp)) {
                findings_.Error(item.MarkOr("stamp", kGroup), "stamp-format",
                                "отпечаток " + Shown(certificate.stamp) +
                                    " должен состоять из 40 шестнадцатеричных цифр, по две на "
                                    "байт через пробел");
            } else if (const std::string local = LocalCopy(certificate.SrcUrl); !local.empty()) {
                const std::string actual =
                    DigestHex(DigestKind::Sha1, ReadLocal(Path(certificate.SrcUrl)));
                if (actual != HexText(ParseStamp(certificate.stamp))) {
                    findings_.Error(item.MarkOr("stamp", kGroup), "stamp-mismatch",
                                    "отпечаток файла " + Quoted(local) + " равен " + actual +
                                        ": такой сертификат не будет импортирован");
                }
            }
            CheckDownload(item, kGroup, certificate.SrcUrl, certificate.Sha256);
        }
    }

    void CheckBrowserSettings() {
        for (std::size_t i = 0; i < file_.pairs.size(); ++i) {
            const auto& [key, value] = file_.pairs[i];
            const YamlMark mark = file_.marks[i].value;
            if (key == "TrustedHost") CheckTrustedHost(value, mark);
            if (key != "EnabledSettings" && key != "DisabledSettings") continue;
            std::vector<std::string> tooWide;
            const auto actions = ParseActionList(value, &tooWide);
            for (const auto& range : tooWide) {
                findings_.Error(
                    mark, "action-range-too-wide",
                    "диапазон действий " + Shown(range) + " шире допустимого и не будет применён");
            }
            if (key != "EnabledSettings") continue;
            for (const auto& [action, what] : kUnsafeActions) {
                if (std::find(actions.begin(), actions.end(), action) == actions.end()) continue;
                findings_.Warning(mark, "action-unsafe-allow",
                                  "разрешение действия " + HexAction(action) + " (" +
                                      std::string(what) + ") открывает зону надёжных узлов");
            }
        }
    }

    void CheckCopySource() {
        for (std::size_t i = 0; i < file_.pairs.size(); ++i) {
            const auto& [key, value] = file_.pairs[i];
            if (key != "src" ||
                std::filesystem::is_regular_file(std::filesystem::path(folder_) / value)) {
                continue;
            }
            findings_.Error(file_.marks[i].value, "copy-source-missing",
                            "копируемого файла " + Shown(value) + " нет в конфигурации");
        }
    }

  private:
    static bool Contains(const std::vector<std::string>& list, const std::string& item) {
        return std::find(list.begin(), list.end(), item) != list.end();
    }

    static bool AppliesAnywhere(const Packet& packet, const std::vector<std::string>& editions) {
        for (const char* bitness : {"x32", "x64"}) {
            for (const auto& edition : editions) {
                if (PacketApplies(packet, bitness, edition)) return true;
            }
        }
        return false;
    }

    void CheckVersions(const Packet& packet, const Item& item, std::string_view group) {
        if (!packet.maxVersion.empty() && packet.version.empty()) {
            findings_.Warning(item.MarkOr("maxVersion", group), "max-version-ignored",
                              "maxVersion действует только у пакета с ключом version");
        }
        if (!packet.minVersion.empty() && !packet.maxVersion.empty() &&
            !VersionLess(packet.minVersion, packet.maxVersion)) {
            findings_.Error(item.MarkOr("maxVersion", group), "version-range-empty",
                            "диапазон версий пуст: maxVersion " + Shown(packet.maxVersion) +
                                " не входит в диапазон и не больше minVersion " +
                                Shown(packet.minVersion));
        }
    }

    void CheckCommandLine(const Packet& packet, const Item& item, std::string_view group) {
        const std::string& line = packet.CommandLine;
        const std::size_t at = line.find(kFileNameMark);
        const YamlMark mark = item.MarkOr("CommandLine", group);
        if (at == std::string::npos) {
            findings_.Error(mark, "filename-missing",
                            "в CommandLine нет FILENAME: загруженный файл не будет запущен");
        } else if (at == 0 || line[at - 1] != '"' || line.size() <= at + kFileNameMark.size() ||
                   line[at + kFileNameMark.size()] != '"') {
            findings_.Warning(mark, "filename-unquoted",
                              "FILENAME в CommandLine без кавычек: путь с пробелами разорвётся");
        }
    }

    static bool StampWellFormed(const std::string& stamp) {
        if (ParseStamp(stamp).size() != kSha1Bytes) return false;
        std::size_t digits = 0;
        for (const char c : stamp) {
            if (std::isxdigit(static_cast<unsigned char>(c)))
                ++digits;
            else if (c != ' ' && c != '\t')
                return false;
        }
        return digits == 2 * kSha1Bytes;
    }

    void CheckTrustedHost(const std::string& host, YamlMark mark) {
        std::string bare = host;
        for (const std::string_view scheme : {"http://", "https://"}) {
            if (bare.starts_with(scheme)) bare.erase(0, scheme.size());
        }
        while (!bare.empty() && bare.back() == '/') bare.pop_back();
        bare = AsciiLower(bare);
        if (bare != "*" && !(bare.starts_with("*.") && IsPublicSuffix(bare.substr(2)))) return;
        findings_.Error(
            mark, "host-public-suffix",
            "узел " + Shown(host) + " делает надёжными все сайты общего домена, а не один сайт");
    }

    static std::string HexAction(std::uint32_t action) {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        std::string text = "0x";
        for (int shift = 12; shift >= 0; shift -= 4) text += kDigits[(action >> shift) & 0xF];
        return text;
    }

    std::filesystem::path Path(const std::string& url) const {
        return std::filesystem::path(folder_) / DownloadName(url);
    }

    // The name of the configuration's own copy of a download, if it has one.
    std::string LocalCopy(const std::string& url) const {
        const std::string name = DownloadName(url);
        return !name.empty() && std::filesystem::is_regular_file(Path(url)) ? name : "";
    }

    const ComponentFile& file_;
    const std::string& folder_;
    FileFindings& findings_;
};

}  // namespace

std::string DownloadName(const std::string& url) {
    std::string name = url.substr(0, url.find_first_of("?#"));
    const std::size_t slash = name.find_last_of('/');
    return slash == std::string::npos ? "" : name.substr(slash + 1);
}

bool ReadComponentFile(const std::string& folder, const std::string& name, ComponentFile& component,
                       std::vector<Finding>& findings) {
    component.name = name;
    try {
        component.pairs =
            ReadYamlPairsFromText(ReadConfigurationFile(folder + "/" + name), &component.marks);
        return true;
    } catch (const YamlSyntaxError& error) {
        FileFindings(findings, name)
            .Error(error.mark, "yaml-syntax", "YAML не читается: " + error.problem);
        return false;
    }
}

void CheckComponent(const ComponentFile& component, const std::string& folder,
                    std::vector<Finding>& findings) {
    FileFindings found(findings, component.name);
    const auto typePair = std::find_if(component.pairs.begin(), component.pairs.end(),
                                       [](const auto& pair) { return pair.first == "type"; });
    std::string type;
    if (typePair == component.pairs.end()) {
        found.Error({}, "type-missing", "нет ключа «type»: компонент не будет загружен");
    } else {
        type = typePair->second;
        std::vector<std::string_view> types = {"crl"};
        for (const TaskType& known : KnownTaskTypes()) types.push_back(known.name);
        if (std::find(types.begin(), types.end(), type) == types.end()) {
            const YamlMark mark = component.marks[typePair - component.pairs.begin()].value;
            std::string text = "неизвестный тип " + Shown(type) + ": компонент не будет загружен";
            if (const auto nearest = Nearest(type, types); !nearest.empty()) {
                text += "; возможно, имелся в виду " + Quoted(nearest);
            }
            found.Error(mark, "type-unknown", text);
        }
    }
    CheckKeys(component, type, found);
    ComponentChecker checker(component, folder, found);
    if (type == "software" || type == "browser") checker.CheckPackets();
    if (type == "certificate") checker.CheckCertificates();
    if (type == "browser_setup") checker.CheckBrowserSettings();
    if (type == "copyfile") checker.CheckCopySource();
}

}  // namespace velk
