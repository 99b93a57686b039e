#include "engine/download.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/codepage.h"
#include "platform/digest.h"
#include "platform/system_errors.h"
#include "platform/system_info.h"

namespace velk {

namespace {

constexpr char kSessionAgent[] = "VELK Session";
constexpr std::uintptr_t kUrlContext = 1;
constexpr char kTempFilePrefix[] = "velk_";

constexpr std::string_view kNoTempFile = "Ошибка при создании временного файла";
constexpr std::string_view kNoConnection = "Ошибка при установлении соединения с сервером";
constexpr std::string_view kCannotCreateFile = "Ошибка при создании файла ";
constexpr std::string_view kThroughLink =
    " (путь проходит через символическую ссылку или точку соединения)";
constexpr std::string_view kCannotWriteFile = "Ошибка при записи файла ";
constexpr std::string_view kServerStatus = "Ошибка при загрузке файла: сервер вернул код ";
constexpr std::string_view kConnectionLost =
    "Ошибка при загрузке файла: соединение с сервером прервано";
constexpr std::string_view kInsecureRedirect =
    "Ошибка при загрузке файла: защищённое соединение перенаправлено на незащищённый адрес ";
constexpr std::string_view kNetworkErrorCode = "Ошибка при загрузке файла: код ошибки ";
constexpr std::string_view kNoDigest = "Ошибка при загрузке файла: в системе нет алгоритма SHA-256";
constexpr std::string_view kPinExpected =
    "Загруженный файл не совпадает с указанным в конфигурации и удалён: ожидался SHA-256 ";
constexpr std::string_view kPinActual = ", получен ";

// The first status that is not a success.
constexpr long kFirstErrorStatus = 400;

bool Fail(JobContext& context, std::string message) {
    context.message = std::move(message);
    return false;
}

// The library's words for its error, or, where it has none (Wine lacks some),
// a text that at least names the code.
std::string NetworkErrorText(Internet& internet, std::uint32_t code) {
    std::string text = internet.ErrorText(code);
    if (text.empty()) text = Utf8ToCp1251(kNetworkErrorCode) + std::to_string(code);
    return text;
}

// The leading number of a header text, as atoi reads it; 0 when there is none.
std::uint64_t HeaderNumber(const std::string& text) {
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    return value > 0 ? static_cast<std::uint64_t>(value) : 0;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Whether a folder on the way to path, or path itself, is a link or junction
// (a drive such as "C:" is none).
bool PassesLink(PrivateFiles& files, const std::string& path) {
    for (std::size_t end = 1; end <= path.size(); ++end) {
        if (end < path.size() && !IsSeparator(path[end])) continue;
        if (IsSeparator(path[end - 1]) || path[end - 1] == ':') continue;
        if (files.IsLink(path.substr(0, end))) return true;
    }
    return false;
}

bool IsHttps(const std::string& url) {
    return AsciiLower(std::string_view(url).substr(0, 6)) == "https:";
}

bool Cancelled(const JobContext& context) {
    return context.cancelFlag != nullptr && context.cancelFlag->load();
}

// Whether what arrived is the pinned file; a file that is not is removed at
// once, so that nothing can run or import it.
bool MatchesPin(JobContext& context, Digest& digest, PrivateFiles& files, PrivateFile& local,
                const std::string& destination) {
    const std::string actual = HexText(digest.Finish());
    if (actual == AsciiLower(context.sha256)) return true;
    local.Reset();  // closed first: a file open without delete sharing cannot go
    files.Remove(destination);
    return Fail(context,
                Utf8ToCp1251(kPinExpected) + context.sha256 + Utf8ToCp1251(kPinActual) + actual);
}

}  // namespace

bool MakeTempFileName(SystemInfo& system, std::string& path) {
    char directory[kMaxPath];
    const std::uint32_t length = system.GetTempPath(kMaxPath, directory);
    if (length == 0 || length > kMaxPath) return false;
    char name[kMaxPath];
    if (system.GetTempFileName(directory, kTempFilePrefix, 0, name) == 0) return false;
    path = name;
    return true;
}

bool DownloadFile(Internet& internet, SystemInfo& system, PrivateFiles& files, JobContext& context,
                  std::string& destination, std::string url, PrivateFile* kept) {
    const InternetHandleOwner session(
        internet.Open(kSessionAgent, kInternetOpenTypePreconfig, "", "", 0), {&internet});
    if (!session) return Fail(context, NetworkErrorText(internet, internet.GetLastError()));

    if (destination.empty() && !MakeTempFileName(system, destination)) {
        return Fail(context, Utf8ToCp1251(kNoTempFile));
    }
    // Without it the library's own, longer time-out applies: not worth failing for.
    internet.SetOption(session.get(), kInternetOptionConnectTimeout, kDownloadConnectTimeoutMs);

    const InternetHandleOwner file(
        internet.OpenUrl(session.get(), url, kDownloadOpenFlags, kUrlContext), {&internet});
    if (!file) return Fail(context, NetworkErrorText(internet, internet.GetLastError()));

    // The library opens error responses as well; their bodies are error pages,
    // not the file asked for, and are never stored. A handle without a status
    // is no HTTP response at all.
    std::string status;
    if (!internet.HttpQueryInfo(file.get(), kHttpQueryStatusCode, &status)) {
        return Fail(context, Utf8ToCp1251(kNoConnection));
    }
    // The library follows a redirect from https to http by itself; what an
    // https address promised, a plain one may not deliver.
    if (IsHttps(url)) {
        std::string final;
        if (!internet.QueryUrl(file.get(), &final) || !IsHttps(final)) {
            return Fail(context, Utf8ToCp1251(kInsecureRedirect) + final);
        }
    }
    const std::uint64_t statusCode = HeaderNumber(status);
    if (statusCode >= kFirstErrorStatus) {
        return Fail(context, Utf8ToCp1251(kServerStatus) + std::to_string(statusCode));
    }

    // A pinned file is hashed block by block as it arrives: what is checked is
    // exactly what was written, without reading the file back.
    std::unique_ptr<Digest> digest;
    if (!context.sha256.empty()) {
        digest = NewDigest(DigestKind::Sha256);
        if (!digest) return Fail(context, Utf8ToCp1251(kNoDigest));
    }

    if (PassesLink(files, destination)) {
        return Fail(context,
                    Utf8ToCp1251(kCannotCreateFile) + destination + Utf8ToCp1251(kThroughLink));
    }
    PrivateFile local({}, {&files});
    if (files.CreateNew(destination, local.Put()) != kErrorSuccess) {
        return Fail(context, Utf8ToCp1251(kCannotCreateFile) + destination);
    }

    std::string lengthText;
    const std::uint64_t announced =
        internet.HttpQueryInfo(file.get(), kHttpQueryContentLength, &lengthText)
            ? HeaderNumber(lengthText)
            : 0;
    if (context.progress != nullptr) context.progress->DownloadStarted(url, announced);

    std::vector<char> block(kDownloadBlockSize);
    std::uint64_t received = 0;
    std::uint64_t total = announced;
    for (;;) {
        std::uint32_t count = 0;
        if (!internet.ReadFile(file.get(), block.data(), static_cast<std::uint32_t>(block.size()),
                               &count)) {
            return Fail(context, NetworkErrorText(internet, internet.GetLastError()));
        }
        // A block that arrives with the cancel is dropped: the user asked to stop.
        if (Cancelled(context)) break;
        if (count == 0) {
            // The library ends the data quietly when the server closes the
            // connection early; a short file is no download.
            if (received < announced) return Fail(context, Utf8ToCp1251(kConnectionLost));
            if (digest && !MatchesPin(context, *digest, files, local, destination)) return false;
            break;
        }
        // Unbuffered, so a full disk shows up at this very block.
        if (files.Write(local.get(), block.data(), count) != kErrorSuccess) {
            return Fail(context, Utf8ToCp1251(kCannotWriteFile) + destination);
        }
        if (digest) digest->Update(block.data(), count);
        received += count;
        // Without a length the first block counts as everything, later ones as more.
        if (total == 0) total = received;
        if (context.progress != nullptr) {
            context.progress->DownloadAdvanced(received * 100 / total, received);
        }
    }
    if (files.Seal(local.get()) != kErrorSuccess) {
        return Fail(context, Utf8ToCp1251(kCannotWriteFile) + destination);
    }
    if (kept != nullptr) *kept = std::move(local);
    return true;
}

}  // namespace velk
