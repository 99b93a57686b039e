#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "platform/files.h"

namespace velk {

// An in-memory file system with the system's answers: a missing file gives
// kErrorFileNotFound, a missing folder kErrorPathNotFound, and a folder or a
// read-only file in place of a file kErrorAccessDenied. "\" and "/" are one
// separator and letter case does not matter (for Latin letters). A copy takes
// the source's attributes along, as the system's does.
class FakeFiles : public Files {
  public:
    long Copy(const std::string& from, const std::string& to) override;
    long SetAttributes(const std::string& path, std::uint32_t attributes) override;
    bool Exists(const std::string& path) override;

    // Adds a folder together with the folders above it.
    void AddFolder(const std::string& path);
    // Adds or replaces a file; its folder must exist.
    void AddFile(const std::string& path, const std::string& content);

    // The content of a file; nullopt when there is no such file.
    std::optional<std::string> Content(const std::string& path) const;
    // The attributes of a file; nullopt when there is no such file.
    std::optional<std::uint32_t> Attributes(const std::string& path) const;

  private:
    struct File {
        std::string content;
        std::uint32_t attributes = 0;
    };

    // The error for a path whose folder is missing, else for a missing file.
    long MissingFileError(const std::string& key) const;

    std::set<std::string> folders_;      // by normalised path
    std::map<std::string, File> files_;  // by normalised path
};

}  // namespace velk
