#include "platform/std_private_files.h"

#include <filesystem>

namespace velk {
namespace {

namespace fs = std::filesystem;

constexpr fs::perms kGroupAndOthers = fs::perms::group_all | fs::perms::others_all;

}  // namespace

StdPrivateFiles::~StdPrivateFiles() {
    for (const auto& [handle, open] : open_) std::fclose(open.stream);
}

long StdPrivateFiles::CreateFolder(const std::string& path) {
    std::error_code error;
    if (fs::exists(fs::symlink_status(path, error))) return kErrorAlreadyExists;
    if (!fs::create_directory(path, error)) return error ? kErrorPathNotFound : kErrorAlreadyExists;
    fs::permissions(path, fs::perms::owner_all, error);
    const std::lock_guard lock(mutex_);
    made_.insert(path);
    return kErrorSuccess;
}

std::string StdPrivateFiles::SecurityText(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (!fs::exists(status)) return {};
    // Shared with anybody, in the same terms.
    const std::string shared = "D:(A;;FA;;;WD)";
    const std::lock_guard lock(mutex_);
    if (made_.count(path) == 0) return shared;
#ifndef _WIN32
    // The Windows C++ library knows no group or others.
    if ((status.permissions() & kGroupAndOthers) != fs::perms::none) return shared;
#endif
    return kPrivateSecurity;
}

bool StdPrivateFiles::IsLink(const std::string& path) {
    std::error_code error;
    return fs::is_symlink(fs::symlink_status(path, error));
}

long StdPrivateFiles::CreateNew(const std::string& path, PrivateFileHandle* file) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    // Only a file or a link is replaced: never a folder or a device.
    if (fs::exists(status) && !fs::is_regular_file(status) && !fs::is_symlink(status)) {
        return kErrorAccessDenied;
    }
    if (fs::exists(status) && !fs::remove(path, error)) return kErrorAccessDenied;
    std::FILE* stream = std::fopen(path.c_str(), "wb");
    if (stream == nullptr) return kErrorPathNotFound;
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write, error);
    const std::lock_guard lock(mutex_);
    *file = ++last_;
    open_[*file] = {stream, path, false};
    made_.insert(path);
    return kErrorSuccess;
}

long StdPrivateFiles::Write(PrivateFileHandle file, const void* data, std::size_t size) {
    const std::lock_guard lock(mutex_);
    std::FILE* stream = open_.at(file).stream;
    return std::fwrite(data, 1, size, stream) == size && std::fflush(stream) == 0
               ? kErrorSuccess
               : kErrorAccessDenied;
}

long StdPrivateFiles::Seal(PrivateFileHandle file) {
    const std::lock_guard lock(mutex_);
    open_.at(file).sealed = true;
    return kErrorSuccess;
}

void StdPrivateFiles::Close(PrivateFileHandle file) {
    const std::lock_guard lock(mutex_);
    std::fclose(open_.at(file).stream);
    open_.erase(file);
}

long StdPrivateFiles::Remove(const std::string& path) {
    std::error_code error;
    // remove_all removes links themselves and never follows them.
    return fs::remove_all(path, error) > 0 && !error ? kErrorSuccess : kErrorFileNotFound;
}

bool StdPrivateFiles::IsSealed(const std::string& path) const {
    const std::lock_guard lock(mutex_);
    for (const auto& [handle, open] : open_) {
        if (open.sealed && open.path == path) return true;
    }
    return false;
}

}  // namespace velk
