#pragma once

#include <map>
#include <mutex>
#include <set>
#include <string>

#include "platform/private_files.h"

namespace velk {

// PrivateFiles over the POSIX file system, for the native tests: a private
// folder or file is the caller's own with mode 0700 or 0600, and links are
// symbolic links. POSIX has no share modes, so a sealed file's path is kept
// in IsSealed for the tests to ask.
class PosixPrivateFiles final : public PrivateFiles {
  public:
    long CreateFolder(const std::string& path) override;
    std::string SecurityText(const std::string& path) override;
    bool IsLink(const std::string& path) override;
    long CreateNew(const std::string& path, PrivateFileHandle* file) override;
    long Write(PrivateFileHandle file, const void* data, std::size_t size) override;
    long Seal(PrivateFileHandle* file) override;
    void Close(PrivateFileHandle file) override;
    long Remove(const std::string& path) override;

    // Whether an open sealed handle holds path.
    bool IsSealed(const std::string& path) const;

  private:
    mutable std::mutex mutex_;
    std::map<PrivateFileHandle, std::string> paths_;
    std::set<PrivateFileHandle> sealed_;
};

}  // namespace velk
