#pragma once

#include <string>

namespace velk {

// Unpacks the ZIP archive at archivePath into the existing folder
// destination: existing files are overwritten, files the archive lacks stay,
// sub-folders are created. Both paths are ANSI strings handed to the C
// library unchanged.
//
// False when the archive cannot be opened, has no entries, or is broken
// (truncated, bad data, CRC mismatch), and when any entry name is absolute
// or would climb out of destination. All names are checked before anything is
// written, so such an archive changes nothing; a data error stops the
// unpacking at that entry, whose file is removed, and the entries unpacked
// before it stay.
bool UnzipArchive(const std::string& archivePath, const std::string& destination);

// Creates one folder (its parent must exist). An existing folder is fine; any
// other failure shows up when the files in it cannot be created.
void MakeFolder(const std::string& path);

}  // namespace velk
