#include "fakes/fake_files.h"

#include <cctype>
#include <stdexcept>

#include "platform/system_errors.h"

namespace velk {
namespace {

// One spelling per path: "/" as the only separator, none doubled or at the
// end, Latin letters in lower case.
std::string Normalise(const std::string& path) {
    std::string key;
    for (const char c : path) {
        const bool separator = c == '\\' || c == '/';
        if (separator && !key.empty() && key.back() == '/') continue;
        key += separator ? '/' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (key.size() > 1 && key.back() == '/') key.pop_back();
    return key;
}

std::string ParentOf(const std::string& key) {
    const auto slash = key.rfind('/');
    return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

bool EndsWithSeparator(const std::string& path) {
    return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

}  // namespace

long FakeFiles::MissingFileError(const std::string& key) const {
    return folders_.count(ParentOf(key)) ? kErrorFileNotFound : kErrorPathNotFound;
}

long FakeFiles::Copy(const std::string& from, const std::string& to) {
    const std::string source = Normalise(from);
    const std::string destination = Normalise(to);
    if (folders_.count(source)) return kErrorAccessDenied;
    const auto file = files_.find(source);
    if (file == files_.end()) return MissingFileError(source);

    if (folders_.count(destination)) return kErrorAccessDenied;
    if (!folders_.count(ParentOf(destination))) return kErrorPathNotFound;
    const auto existing = files_.find(destination);
    if (existing != files_.end() && (existing->second.attributes & kFileAttributeReadOnly)) {
        return kErrorAccessDenied;
    }
    files_[destination] = file->second;
    return kErrorSuccess;
}

long FakeFiles::SetAttributes(const std::string& path, std::uint32_t attributes) {
    const std::string key = Normalise(path);
    if (folders_.count(key)) return kErrorSuccess;
    const auto file = files_.find(key);
    if (file == files_.end()) return MissingFileError(key);
    file->second.attributes = attributes;
    return kErrorSuccess;
}

bool FakeFiles::Exists(const std::string& path) {
    const std::string key = Normalise(path);
    if (key.empty()) return false;
    if (folders_.count(key)) return true;
    return !EndsWithSeparator(path) && files_.count(key);
}

void FakeFiles::AddFolder(const std::string& path) {
    for (std::string key = Normalise(path); !key.empty(); key = ParentOf(key)) {
        folders_.insert(key);
    }
}

void FakeFiles::AddFile(const std::string& path, const std::string& content) {
    const std::string key = Normalise(path);
    if (!folders_.count(ParentOf(key))) throw std::logic_error("no folder for " + path);
    files_[key] = File{content, kFileAttributeNormal};
}

std::optional<std::string> FakeFiles::Content(const std::string& path) const {
    const auto file = files_.find(Normalise(path));
    if (file == files_.end()) return std::nullopt;
    return file->second.content;
}

std::optional<std::uint32_t> FakeFiles::Attributes(const std::string& path) const {
    const auto file = files_.find(Normalise(path));
    if (file == files_.end()) return std::nullopt;
    return file->second.attributes;
}

}  // namespace velk
