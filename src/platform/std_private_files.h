#pragma once

#include <cstdio>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include "platform/private_files.h"

namespace velk {

// PrivateFiles over the C++ file system library, for the native checker of
// configurations and for the tests of the core: a private folder or file is
// one this object made, natively still without any access for group or others
// (mode 0700, 0600); links are symbolic links. There are no share modes, so a
// sealed file's path is kept for IsSealed.
class StdPrivateFiles : public PrivateFiles {
  public:
    ~StdPrivateFiles() override;

    long CreateFolder(const std::string& path) override;
    std::string SecurityText(const std::string& path) override;
    bool IsLink(const std::string& path) override;
    long CreateNew(const std::string& path, PrivateFileHandle* file) override;
    long Write(PrivateFileHandle file, const void* data, std::size_t size) override;
    long Seal(PrivateFileHandle file) override;
    void Close(PrivateFileHandle file) override;
    long Remove(const std::string& path) override;

    // Whether an open sealed handle holds path.
    bool IsSealed(const std::string& path) const;

  private:
    struct Open {
        std::FILE* stream = nullptr;
        std::string path;
        bool sealed = false;
    };

    mutable std::mutex mutex_;
    std::map<PrivateFileHandle, Open> open_;
    PrivateFileHandle last_ = 0;
    std::set<std::string> made_;
};

}  // namespace velk
