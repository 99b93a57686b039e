#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace velk::test {

// One entry of an archive a test builds. A name ending in "/" is a folder.
struct ZipEntry {
    std::string name;
    std::string content;
    bool stored = false;    // no compression, so the data can be found and spoiled
    bool utf8Name = false;  // the UTF-8 flag of the entry header
};

// Writes a ZIP archive with minizip; an empty list gives a valid archive
// without entries.
void WriteZip(const std::filesystem::path& path, const std::vector<ZipEntry>& entries);

}  // namespace velk::test
