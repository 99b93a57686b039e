#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/files.h"

namespace velk::test {

// One file system the Files suite runs against, with the means to lay out
// and inspect files outside the seam. Paths are below `root`, which exists
// for the life of the made object and is emptied afterwards.
class FilesSandbox {
  public:
    virtual ~FilesSandbox() = default;
    virtual Files& files() = 0;
    virtual std::string root() const = 0;
    virtual void MakeFolder(const std::string& path) = 0;
    virtual void WriteFile(const std::string& path, const std::string& content) = 0;
    virtual std::optional<std::string> ReadFile(const std::string& path) = 0;
    virtual bool IsReadOnly(const std::string& path) = 0;
    // Whether a read-only file really refuses to be written here: Wine run
    // by root cannot refuse, since root writes any file whatever its mode.
    virtual bool EnforcesReadOnly() = 0;
};

struct FilesTarget {
    std::string name;
    std::function<std::unique_ptr<FilesSandbox>()> make;
};

inline void PrintTo(const FilesTarget& target, std::ostream* out) { *out << target.name; }

// Provided by the bindings: kernel32 under Wine, the fake natively.
std::vector<FilesTarget> FilesTargets();

}  // namespace velk::test
