#include "engine/configuration_fetch.h"

#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "config/unzip_archive.h"
#include "engine/download.h"
#include "engine/run_context.h"
#include "platform/codepage.h"
#include "platform/private_files.h"
#include "platform/system_info.h"

#ifndef VELK_CONFIG_HOST
#error "VELK_CONFIG_HOST names the configuration download server"
#endif

namespace velk {
namespace {

constexpr char kArchivePath[] = "/download/files/velk_config.zip";
constexpr char kDataFolderName[] = "velk_data";
constexpr std::string_view kNoTempFolder = "Ошибка при поиске временного каталога";
constexpr std::string_view kUnpackFailed = "Ошибка при распаковке архива конфигурации";

[[noreturn]] void Fail(std::string message) { throw std::runtime_error(std::move(message)); }

}  // namespace

std::string ConfigurationUrl(const RunContext& run) {
    if (!run.configurationUrl.empty()) return run.configurationUrl;
    return std::string("https://") + VELK_CONFIG_HOST + kArchivePath;
}

void FetchConfiguration(Internet& internet, SystemInfo& system, PrivateFiles& files,
                        RunContext& run, Progress* progress) {
    if (run.localMode) return;

    // Nobody cancels: the provider page waits for it.
    JobContext context;
    context.progress = progress;
    std::string download;
    // Held open while unpacking: what is unpacked is what was downloaded.
    PrivateFile archive({}, {&files});
    if (!DownloadFile(internet, system, files, context, download, ConfigurationUrl(run),
                      &archive)) {
        Fail(context.message);
    }

    char temp[kMaxPath];
    const std::uint32_t length = system.GetTempPath(kMaxPath, temp);
    if (length == 0 || length > kMaxPath) Fail(Utf8ToCp1251(kNoTempFolder));
    // The system's temporary path ends with its separator.
    const std::string folder = std::string(temp, length) + kDataFolderName;
    run.dataFolder = folder;
    // Only what this archive brings: nothing of an earlier fetch stays.
    files.Remove(folder);
    std::string problem;
    const bool unpacked = files.CreateFolder(folder) == kErrorSuccess &&
                          UnzipArchive(files, download, folder, &problem);
    archive.Reset();
    files.Remove(download);
    if (!unpacked) {
        Fail(Utf8ToCp1251(kUnpackFailed) + (problem.empty() ? "" : ": " + problem));
    }
}

}  // namespace velk
