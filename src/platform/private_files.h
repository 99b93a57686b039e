#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/owned_handle.h"
#include "platform/system_errors.h"

namespace velk {

// An open file of PrivateFiles. Zero is never a valid handle.
using PrivateFileHandle = std::uintptr_t;

// What every private folder and file gets, as SDDL: owned by Administrators,
// full access for Administrators and SYSTEM only, passed on to everything
// made inside, nothing inherited from the parent.
inline constexpr char kPrivateSecurity[] = "O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

// Files and folders that no unelevated process can have placed or can
// change: the program runs elevated and must never read, run or write
// through anything else. Paths are Windows-1251; failing calls return the
// system's error code (system_errors.h).
class PrivateFiles {
  public:
    virtual ~PrivateFiles() = default;

    // Creates the folder path with kPrivateSecurity in one step; a folder,
    // file or link of that name fails with kErrorAlreadyExists.
    virtual long CreateFolder(const std::string& path) = 0;

    // The owner and access list of path as SDDL, in the form of
    // kPrivateSecurity; empty when they cannot be read.
    virtual std::string SecurityText(const std::string& path) = 0;

    // True when path itself (not followed) is a symbolic link, junction or
    // other reparse point.
    virtual bool IsLink(const std::string& path) = 0;

    // Makes path a new file with kPrivateSecurity, open for writing and
    // shared with nobody: whatever had that name (a file, a link) is deleted
    // first, and the file is made only if nothing took the name meanwhile
    // (kErrorFileExists). A folder of that name fails.
    virtual long CreateNew(const std::string& path, PrivateFileHandle* file) = 0;

    // Writes all of data at the end of what was written.
    virtual long Write(PrivateFileHandle file, const void* data, std::size_t size) = 0;

    // Ends the writing: from now on file only reads the very same file, and
    // while it is open others may read the file but neither write, rename nor
    // delete it.
    virtual long Seal(PrivateFileHandle file) = 0;

    virtual void Close(PrivateFileHandle file) = 0;

    // Removes a file, or a folder with everything in it; links inside are
    // removed themselves, never followed.
    virtual long Remove(const std::string& path) = 0;
};

struct ClosePrivateFile {
    PrivateFiles* files = nullptr;
    void operator()(PrivateFileHandle file) const { files->Close(file); }
};
using PrivateFile = OwnedHandle<PrivateFileHandle, ClosePrivateFile>;

}  // namespace velk
