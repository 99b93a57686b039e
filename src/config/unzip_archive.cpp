#include "config/unzip_archive.h"

#include <minizip/unzip.h>
#include <sys/stat.h>

#include <array>
#include <cctype>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/codepage.h"
#include "platform/system_errors.h"

#ifdef _WIN32
#include <direct.h>
#endif

namespace velk {
namespace {

constexpr unsigned kUtf8NameFlag = 0x800;  // general purpose bit 11
constexpr unsigned kBlockSize = 64 * 1024;

constexpr std::string_view kBadName = "Недопустимое имя в архиве: ";
constexpr std::string_view kTooManyEntries = "В архиве больше 10000 файлов";
constexpr std::string_view kTooLarge = "Архив после распаковки больше 256 МиБ";
constexpr std::string_view kOverCompressed = "Файл архива сжат неправдоподобно сильно: ";
constexpr std::string_view kThroughLink =
    "В каталоге распаковки символическая ссылка или точка соединения: ";
constexpr std::string_view kCannotWrite = "Ошибка при записи файла ";
constexpr std::string_view kNoDestination = "Нет каталога для распаковки: ";

// A refusal's text; empty for an archive that cannot be read, is cut short
// or spoiled, which has nothing more to say; none when all went well.
using Problem = std::optional<std::string>;

Problem Broken() { return std::string(); }

struct ArchiveCloser {
    void operator()(std::remove_pointer_t<unzFile>* archive) const { unzClose(archive); }
};
using Archive = std::unique_ptr<std::remove_pointer_t<unzFile>, ArchiveCloser>;

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool IsFolder(std::string path) {
    // The Windows C library finds no folder named with a trailing separator
    // (except a drive's root).
    while (path.size() > 1 && IsSeparator(path.back()) && path[path.size() - 2] != ':') {
        path.pop_back();
    }
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// Windows drops trailing dots and blanks from a path's parts, so a part such
// as ".. " or "..." may climb like "..".
bool IsClimbingPart(std::string_view part) {
    return part.size() > 1 && part.find_first_not_of(". ") == std::string_view::npos;
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices, whatever follows a dot.
bool IsDeviceName(std::string_view part) {
    const std::string_view stem = part.substr(0, part.find('.'));
    std::string upper;
    for (const char c : stem)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* device : {"CON", "PRN", "AUX", "NUL"}) {
        if (upper == device) return true;
    }
    return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) &&
           upper[3] >= '1' && upper[3] <= '9';
}

// Windows would read such a part as something else: a device, a name
// without its trailing dots or blanks, a stream, a drive, a wildcard.
bool IsUnsafePart(std::string_view part) {
    if (part.empty()) return false;
    if (IsClimbingPart(part) || IsDeviceName(part)) return true;
    if (part.back() == '.' || part.back() == ' ') return part != ".";
    for (const char c : part) {
        if (static_cast<unsigned char>(c) < 0x20) return true;
    }
    return part.find_first_of("<>:\"|?*") != std::string_view::npos;
}

// Entry names stay inside the destination and mean there what they say: no
// root, no drive, no unsafe part, no NUL that would cut the path short. A
// name like "a/../b" would stay inside, but no real archive needs it.
bool IsSafeName(std::string_view name) {
    if (name.empty() || IsSeparator(name.front())) return false;
    if (name.find('\0') != std::string_view::npos) return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = start;
        while (end < name.size() && !IsSeparator(name[end])) ++end;
        if (IsUnsafePart(name.substr(start, end - start))) return false;
        start = end + 1;
    }
    return true;
}

struct Entry {
    std::string name;  // Windows-1251, '/' separated
    std::uint64_t size = 0;
    std::uint64_t compressed = 0;
};

// The current entry. Names flagged as UTF-8 are converted to the code page
// of every other path in the program; unrepresentable tells of a name it
// cannot hold, which would otherwise silently get a '?'.
bool CurrentEntry(unzFile archive, Entry& entry, bool& unrepresentable) {
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(archive, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return false;
    std::string name(info.size_filename, '\0');
    if (unzGetCurrentFileInfo64(archive, &info, name.data(), info.size_filename, nullptr, 0,
                                nullptr, 0) != UNZ_OK)
        return false;
    unrepresentable = false;
    if (info.flag & kUtf8NameFlag) {
        std::string converted = Utf8ToCp1251(name);
        unrepresentable = Cp1251ToUtf8(converted) != name;
        name = std::move(converted);
    }
    for (char& c : name) {
        if (c == '\\') c = '/';
    }
    entry = {std::move(name), info.uncompressed_size, info.compressed_size};
    return true;
}

bool IsOverCompressed(std::uint64_t size, std::uint64_t compressed) {
    return size > kUnzipRatioFrom && size / kUnzipMaxRatio > compressed;
}

// Every name and declared size, before anything is written.
Problem CheckEntries(unzFile archive, std::uint64_t count) {
    if (count > kUnzipMaxEntries) return Utf8ToCp1251(kTooManyEntries);
    std::uint64_t total = 0;
    int status = unzGoToFirstFile(archive);
    for (; status == UNZ_OK; status = unzGoToNextFile(archive)) {
        Entry entry;
        bool unrepresentable = false;
        if (!CurrentEntry(archive, entry, unrepresentable)) return Broken();
        if (unrepresentable || !IsSafeName(entry.name)) {
            return Utf8ToCp1251(kBadName) + entry.name;
        }
        if (IsOverCompressed(entry.size, entry.compressed)) {
            return Utf8ToCp1251(kOverCompressed) + entry.name;
        }
        total += entry.size;
        if (total > kUnzipMaxTotal) return Utf8ToCp1251(kTooLarge);
    }
    return status == UNZ_END_OF_LIST_OF_FILE ? std::nullopt : Broken();
}

// Writes the current entry, counting what it really holds against the
// limits: the sizes in the archive are only its own word.
class EntryWriter {
  public:
    EntryWriter(PrivateFiles& files, std::uint64_t& total) : files_(files), total_(total) {}

    // "" when written, else the user's text.
    Problem Write(unzFile archive, const Entry& entry, const std::string& path) {
        PrivateFile out({}, {&files_});
        if (files_.CreateNew(path, out.Put()) != kErrorSuccess) {
            return Utf8ToCp1251(kCannotWrite) + entry.name;
        }
        std::vector<char> block(kBlockSize);
        std::uint64_t written = 0;
        for (;;) {
            const int count = unzReadCurrentFile(archive, block.data(), kBlockSize);
            if (count < 0) return Broken();
            if (count == 0) return std::nullopt;
            written += static_cast<std::uint64_t>(count);
            total_ += static_cast<std::uint64_t>(count);
            if (total_ > kUnzipMaxTotal) return Utf8ToCp1251(kTooLarge);
            if (IsOverCompressed(written, entry.compressed)) {
                return Utf8ToCp1251(kOverCompressed) + entry.name;
            }
            if (files_.Write(out.get(), block.data(), static_cast<std::size_t>(count)) !=
                kErrorSuccess) {
                return Utf8ToCp1251(kCannotWrite) + entry.name;
            }
        }
    }

  private:
    PrivateFiles& files_;
    std::uint64_t& total_;
};

// Makes the folders of name below destination, refusing any that is a link.
Problem MakeFolders(PrivateFiles& files, const std::string& destination, const std::string& name) {
    for (std::size_t slash = name.find('/'); slash != std::string::npos;
         slash = name.find('/', slash + 1)) {
        const std::string folder = destination + '/' + name.substr(0, slash);
        MakeFolder(folder);
        if (files.IsLink(folder)) return Utf8ToCp1251(kThroughLink) + name.substr(0, slash);
    }
    return std::nullopt;
}

Problem ExtractEntry(PrivateFiles& files, unzFile archive, const std::string& destination,
                     EntryWriter& writer) {
    Entry entry;
    bool unrepresentable = false;
    if (!CurrentEntry(archive, entry, unrepresentable)) return Broken();
    if (Problem problem = MakeFolders(files, destination, entry.name)) {
        return problem;
    }
    const std::string path = destination + '/' + entry.name;
    if (entry.name.back() == '/') return IsFolder(path) ? std::nullopt : Broken();
    if (files.IsLink(path)) return Utf8ToCp1251(kThroughLink) + entry.name;
    if (unzOpenCurrentFile(archive) != UNZ_OK) return Broken();
    Problem problem = writer.Write(archive, entry, path);
    // Closing is where a CRC mismatch of the data just read is reported.
    if (unzCloseCurrentFile(archive) != UNZ_OK && !problem) problem = Broken();
    // Nothing half-written stays.
    if (problem) files.Remove(path);
    return problem;
}

}  // namespace

void MakeFolder(const std::string& path) {
#ifdef _WIN32
    _mkdir(path.c_str());
#else
    mkdir(path.c_str(), 0777);
#endif
}

bool UnzipArchive(PrivateFiles& files, const std::string& archivePath,
                  const std::string& destination, std::string* problem) {
    Problem found;
    const bool unpacked = [&] {
        if (!IsFolder(destination)) {
            found = Utf8ToCp1251(kNoDestination) + destination;
            return false;
        }
        if (files.IsLink(destination)) {
            found = Utf8ToCp1251(kThroughLink) + destination;
            return false;
        }
        const Archive archive(unzOpen64(archivePath.c_str()));
        unz_global_info64 global{};
        if (!archive || unzGetGlobalInfo64(archive.get(), &global) != UNZ_OK ||
            global.number_entry == 0) {
            found = Broken();
            return false;
        }
        found = CheckEntries(archive.get(), global.number_entry);
        if (found) return false;
        std::uint64_t total = 0;
        EntryWriter writer(files, total);
        int status = unzGoToFirstFile(archive.get());
        for (; status == UNZ_OK; status = unzGoToNextFile(archive.get())) {
            found = ExtractEntry(files, archive.get(), destination, writer);
            if (found) return false;
        }
        return status == UNZ_END_OF_LIST_OF_FILE;
    }();
    if (problem != nullptr) *problem = found.value_or("");
    return unpacked;
}

}  // namespace velk
