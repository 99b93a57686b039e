#include "lint/lint_command.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

#include "config/unzip_archive.h"
#include "lint/linter.h"
#include "lint/pin.h"
#include "lint/preview.h"
#include "lint/report.h"
#include "platform/std_private_files.h"

namespace velk {
namespace {

namespace fs = std::filesystem;

constexpr int kClean = 0;
constexpr int kErrors = 1;
constexpr int kUnreadable = 2;

constexpr char kUsage[] =
    "использование: velk-lint [--sarif ФАЙЛ] [--pin ПАПКА] [--preview] [--html ФАЙЛ] "
    "ПАПКА_ИЛИ_АРХИВ_КОНФИГУРАЦИИ\n";

struct Options {
    std::string input;
    std::string sarif;
    std::string pin;
    bool preview = false;
    std::string html;
};

bool Parse(const std::vector<std::string>& arguments, Options& options) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        std::string* value = argument == "--sarif"  ? &options.sarif
                             : argument == "--pin"  ? &options.pin
                             : argument == "--html" ? &options.html
                                                    : nullptr;
        if (argument == "--preview") {
            options.preview = true;
        } else if (value != nullptr) {
            if (++i == arguments.size()) return false;
            *value = arguments[i];
        } else if (options.input.empty() && !argument.starts_with("--")) {
            options.input = argument;
        } else {
            return false;
        }
    }
    return !options.input.empty();
}

// An archive's content, unpacked into a new folder that goes with this object.
// The checker runs with the author's own rights, so the C++ library's files
// serve where the wizard needs files no unelevated process can change.
class UnpackedArchive {
  public:
    explicit UnpackedArchive(const std::string& archive) {
        std::random_device random;
        folder_ = fs::temp_directory_path() / ("velk-lint-" + std::to_string(random()));
        if (!fs::create_directory(folder_)) {
            folder_.clear();
            return;
        }
        unpacked_ = UnzipArchive(files_, archive, folder_.string());
    }
    ~UnpackedArchive() {
        std::error_code ignored;
        if (!folder_.empty()) fs::remove_all(folder_, ignored);
    }
    UnpackedArchive(const UnpackedArchive&) = delete;
    UnpackedArchive& operator=(const UnpackedArchive&) = delete;

    bool Unpacked() const { return unpacked_; }
    std::string Folder() const { return folder_.string(); }

  private:
    StdPrivateFiles files_;
    fs::path folder_;
    bool unpacked_ = false;
};

int Preview(const std::string& folder, const Options& options, std::ostream& out,
            std::ostream& err) {
    std::vector<SitePreview> sites;
    try {
        sites = PreviewFolder(folder);
    } catch (const std::runtime_error&) {
        err << "velk-lint: список сайтов не читается; подробности без --preview\n";
        return kUnreadable;
    }
    if (options.html.empty()) {
        WritePreview(sites, out);
        return kClean;
    }
    std::ofstream html(options.html, std::ios::binary | std::ios::trunc);
    WritePreviewHtml(sites, html);
    if (!html.flush()) {
        err << "velk-lint: не удалось записать " << options.html << '\n';
        return kUnreadable;
    }
    return kClean;
}

int Report(const std::string& folder, const Options& options, std::ostream& out,
           std::ostream& err) {
    if (options.preview || !options.html.empty()) return Preview(folder, options, out, err);
    const std::vector<Finding> findings = LintFolder(folder);
    WriteFindings(findings, out);
    if (!options.sarif.empty()) {
        std::ofstream sarif(options.sarif, std::ios::binary | std::ios::trunc);
        WriteSarif(findings, sarif);
        if (!sarif.flush()) {
            err << "velk-lint: не удалось записать " << options.sarif << '\n';
            return kUnreadable;
        }
    }
    return HasErrors(findings) ? kErrors : kClean;
}

}  // namespace

int RunLint(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    Options options;
    if (!Parse(arguments, options)) {
        err << kUsage;
        return kUnreadable;
    }
    std::error_code error;
    if (fs::is_directory(options.input, error)) {
        if (!options.pin.empty()) {
            if (!fs::is_directory(options.pin, error)) {
                err << "velk-lint: нет папки " << options.pin << '\n';
                return kUnreadable;
            }
            const PinCount count = PinFolder(options.input, options.pin);
            out << "velk-lint: записано ключей Sha256: " << count.written
                << ", исправлено: " << count.corrected << '\n';
        }
        return Report(options.input, options, out, err);
    }
    if (!fs::is_regular_file(options.input, error)) {
        err << "velk-lint: нет папки или архива " << options.input << '\n';
        return kUnreadable;
    }
    if (!options.pin.empty()) {
        err << "velk-lint: --pin записывает ключи только в папку конфигурации\n";
        return kUnreadable;
    }
    const UnpackedArchive archive(options.input);
    if (!archive.Unpacked()) {
        err << "velk-lint: архив " << options.input << " не распаковывается\n";
        return kUnreadable;
    }
    return Report(archive.Folder(), options, out, err);
}

}  // namespace velk
