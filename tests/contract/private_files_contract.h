#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/private_files.h"

namespace velk::test {

// The file system the PrivateFiles suite runs against, below `root`, a fresh
// folder for the life of the made object.
class PrivateFilesSandbox {
  public:
    virtual ~PrivateFilesSandbox() = default;
    virtual PrivateFiles& files() = 0;
    virtual std::string root() const = 0;
    // Makes link a symbolic link to the folder target; false where the
    // system cannot, or does not show it as a link (Wine).
    virtual bool MakeLink(const std::string& link, const std::string& target) = 0;
    // Whether the system keeps the descriptors given to new files: Wine
    // (without its staging patches) derives them from the Unix mode instead.
    virtual bool KeepsDescriptors() = 0;
    // Whether another opener could now write or delete the file.
    virtual bool OthersCanChange(const std::string& path) = 0;
};

struct PrivateFilesTarget {
    std::string name;
    std::function<std::unique_ptr<PrivateFilesSandbox>()> make;
};

inline void PrintTo(const PrivateFilesTarget& target, std::ostream* out) { *out << target.name; }

// Provided by the bindings: kernel32 and advapi32 under Wine, the fake natively.
std::vector<PrivateFilesTarget> PrivateFilesTargets();

}  // namespace velk::test
