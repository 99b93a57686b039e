#pragma once

#include <cstdint>
#include <string>

#include "platform/private_files.h"

namespace velk {

// What an archive may unpack to; beyond them it is refused (README,
// "Security"). An entry larger than kUnzipRatioFrom may be at most
// kUnzipMaxRatio times its compressed size.
inline constexpr std::uint64_t kUnzipMaxEntries = 10000;
inline constexpr std::uint64_t kUnzipMaxTotal = 256ull * 1024 * 1024;
inline constexpr std::uint64_t kUnzipRatioFrom = 1024 * 1024;
inline constexpr std::uint64_t kUnzipMaxRatio = 100;

// Unpacks the ZIP archive at archivePath into the existing folder
// destination: existing files are replaced through files (made anew, never
// written through a link), files the archive lacks stay, sub-folders are
// created. Both paths are ANSI strings handed to the C library unchanged.
//
// False, with the user's text (Windows-1251) in *problem when given, when
// the archive cannot be opened, has no entries, or is broken (truncated, bad
// data, CRC mismatch); when any entry name is absolute, would climb out of
// destination, or is one Windows would read as something else (a device such
// as CON or COM1 with any extension, a trailing dot or blank, a ':' or
// another character no file name may hold, a character Windows-1251 lacks);
// when the archive exceeds the limits above; and when destination or a
// folder on an entry's way is a link or junction. Names and declared sizes
// are checked before anything is written, so such an archive changes
// nothing; the real sizes are counted while writing. A failure while writing
// stops at that entry, whose file is removed, and the entries unpacked
// before it stay.
bool UnzipArchive(PrivateFiles& files, const std::string& archivePath,
                  const std::string& destination, std::string* problem = nullptr);

// Creates one folder (its parent must exist). An existing folder is fine; any
// other failure shows up when the files in it cannot be created.
void MakeFolder(const std::string& path);

}  // namespace velk
