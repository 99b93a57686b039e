#include "config/unzip_archive.h"

#include <minizip/unzip.h>
#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/codepage.h"

#ifdef _WIN32
#include <direct.h>
#endif

namespace velk {
namespace {

constexpr unsigned kUtf8NameFlag = 0x800;  // general purpose bit 11
constexpr unsigned kBlockSize = 64 * 1024;

struct ArchiveCloser {
    void operator()(std::remove_pointer_t<unzFile>* archive) const { unzClose(archive); }
};
using Archive = std::unique_ptr<std::remove_pointer_t<unzFile>, ArchiveCloser>;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

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

// Entry names stay inside the destination: no root, no drive (nor any other
// colon, which Windows reads as a drive or a stream), no part that climbs,
// no NUL that would cut the path short. A name like "a/../b" would stay
// inside, but no real archive needs it.
bool IsSafeName(std::string_view name) {
    if (name.empty() || IsSeparator(name.front())) return false;
    if (name.find_first_of(std::string_view(":\0", 2)) != std::string_view::npos) return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = start;
        while (end < name.size() && !IsSeparator(name[end])) ++end;
        if (IsClimbingPart(name.substr(start, end - start))) return false;
        start = end + 1;
    }
    return true;
}

// The name of the current entry with '/' as the only separator. Names
// flagged as UTF-8 are converted to the code page of every other path in the
// program; others are taken byte for byte.
bool CurrentName(unzFile archive, std::string& name) {
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(archive, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return false;
    name.assign(info.size_filename, '\0');
    if (unzGetCurrentFileInfo64(archive, &info, name.data(), info.size_filename, nullptr, 0,
                                nullptr, 0) != UNZ_OK)
        return false;
    if (info.flag & kUtf8NameFlag) name = Utf8ToCp1251(name);
    for (char& c : name) {
        if (c == '\\') c = '/';
    }
    return true;
}

// Calls visit(name) for every entry in order; false when an entry cannot be
// read or visit says so.
template <typename Visit>
bool ForEachEntry(unzFile archive, Visit visit) {
    int status = unzGoToFirstFile(archive);
    while (status == UNZ_OK) {
        std::string name;
        if (!CurrentName(archive, name) || !visit(name)) return false;
        status = unzGoToNextFile(archive);
    }
    return status == UNZ_END_OF_LIST_OF_FILE;
}

bool CopyCurrentEntry(unzFile archive, const std::string& path) {
    std::unique_ptr<std::FILE, FileCloser> out(std::fopen(path.c_str(), "wb"));
    if (!out) return false;
    std::vector<char> block(kBlockSize);
    for (;;) {
        const int count = unzReadCurrentFile(archive, block.data(), kBlockSize);
        if (count < 0) return false;
        if (count == 0) break;
        const auto size = static_cast<std::size_t>(count);
        if (std::fwrite(block.data(), 1, size, out.get()) != size) return false;
    }
    return std::fclose(out.release()) == 0;
}

bool ExtractCurrentEntry(unzFile archive, const std::string& path) {
    if (unzOpenCurrentFile(archive) != UNZ_OK) return false;
    const bool copied = CopyCurrentEntry(archive, path);
    // Closing is where a CRC mismatch of the data just read is reported.
    const bool ok = unzCloseCurrentFile(archive) == UNZ_OK && copied;
    if (!ok) std::remove(path.c_str());
    return ok;
}

bool ExtractEntry(unzFile archive, const std::string& destination, const std::string& name) {
    // Every folder on the way, for archives that do not list their folders.
    for (std::size_t slash = name.find('/'); slash != std::string::npos;
         slash = name.find('/', slash + 1)) {
        MakeFolder(destination + '/' + name.substr(0, slash));
    }
    const std::string path = destination + '/' + name;
    if (name.back() == '/') return IsFolder(path);
    return ExtractCurrentEntry(archive, path);
}

}  // namespace

void MakeFolder(const std::string& path) {
#ifdef _WIN32
    _mkdir(path.c_str());
#else
    mkdir(path.c_str(), 0777);
#endif
}

bool UnzipArchive(const std::string& archivePath, const std::string& destination) {
    if (!IsFolder(destination)) return false;
    const Archive archive(unzOpen64(archivePath.c_str()));
    if (!archive) return false;
    unz_global_info64 global{};
    if (unzGetGlobalInfo64(archive.get(), &global) != UNZ_OK || global.number_entry == 0) {
        return false;
    }
    if (!ForEachEntry(archive.get(), IsSafeName)) return false;
    return ForEachEntry(archive.get(), [&](const std::string& name) {
        return ExtractEntry(archive.get(), destination, name);
    });
}

}  // namespace velk
