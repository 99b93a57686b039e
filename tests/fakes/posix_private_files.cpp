#include "fakes/posix_private_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace velk {
namespace {

constexpr mode_t kGroupAndOthers = 077;

long ErrorOf(int error) {
    switch (error) {
        case EEXIST:
            return kErrorAlreadyExists;
        case ENOENT:
            return kErrorPathNotFound;
        default:
            return kErrorAccessDenied;
    }
}

int Descriptor(PrivateFileHandle file) { return static_cast<int>(file) - 1; }

}  // namespace

long PosixPrivateFiles::CreateFolder(const std::string& path) {
    return ::mkdir(path.c_str(), 0700) == 0 ? kErrorSuccess : ErrorOf(errno);
}

std::string PosixPrivateFiles::SecurityText(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) return {};
    if (status.st_uid == ::geteuid() && (status.st_mode & kGroupAndOthers) == 0) {
        return kPrivateSecurity;
    }
    // Anything else is shared with someone; say with whom in the same terms.
    return "O:" + std::to_string(status.st_uid) + "D:(A;;FA;;;WD)";
}

bool PosixPrivateFiles::IsLink(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

long PosixPrivateFiles::CreateNew(const std::string& path, PrivateFileHandle* file) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) return kErrorAccessDenied;
        if (::unlink(path.c_str()) != 0) return ErrorOf(errno);
    }
    const int descriptor =
        ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (descriptor < 0) return errno == EEXIST ? kErrorFileExists : ErrorOf(errno);
    *file = static_cast<PrivateFileHandle>(descriptor) + 1;
    const std::lock_guard lock(mutex_);
    paths_[*file] = path;
    return kErrorSuccess;
}

long PosixPrivateFiles::Write(PrivateFileHandle file, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(Descriptor(file), bytes, size);
        if (written < 0) return kErrorAccessDenied;
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return kErrorSuccess;
}

long PosixPrivateFiles::Seal(PrivateFileHandle* file) {
    const std::lock_guard lock(mutex_);
    sealed_.insert(*file);
    return kErrorSuccess;
}

void PosixPrivateFiles::Close(PrivateFileHandle file) {
    ::close(Descriptor(file));
    const std::lock_guard lock(mutex_);
    sealed_.erase(file);
    paths_.erase(file);
}

long PosixPrivateFiles::Remove(const std::string& path) {
    std::error_code error;
    // remove_all removes links themselves and never follows them.
    return std::filesystem::remove_all(path, error) > 0 && !error ? kErrorSuccess
                                                                  : kErrorFileNotFound;
}

bool PosixPrivateFiles::IsSealed(const std::string& path) const {
    const std::lock_guard lock(mutex_);
    for (const PrivateFileHandle file : sealed_) {
        if (paths_.at(file) == path) return true;
    }
    return false;
}

}  // namespace velk
