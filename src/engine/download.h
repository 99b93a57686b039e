#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/job_context.h"
#include "platform/internet.h"
#include "platform/private_files.h"

namespace velk {

class SystemInfo;

// Never from the browser cache, redirects between HTTP and HTTPS followed
// without asking (an https address that ends at a plain one is then refused
// by DownloadFile itself), binary transfer. Certificate name and date errors
// are not ignored: a download must come from the server it names.
inline constexpr std::uint32_t kDownloadOpenFlags =
    kInternetFlagDontCache | kInternetFlagIgnoreRedirectToHttp |
    kInternetFlagIgnoreRedirectToHttps | kInternetFlagTransferBinary;
inline constexpr std::uint32_t kDownloadConnectTimeoutMs = 20000;
inline constexpr std::size_t kDownloadBlockSize = 20000;

// Creates a new empty file "velXXXX.tmp" in the temporary folder and stores
// its path; false when there is no temporary folder (or its path is longer
// than kMaxPath) or no file could be made.
bool MakeTempFileName(SystemInfo& system, std::string& path);

// Fetches url into the file destination (a new temporary file when it is
// empty; its path is then left in destination), block by block, sending
// its progress to context.progress. Returns true when the transfer ended,
// completely or because *context.cancelFlag was seen set; false with the
// user's text in context.message otherwise: the library's error, an https
// address redirected to a plain one, an HTTP error status, a body shorter than
// announced, a file that cannot be created or written, a complete file whose
// SHA-256 is not context.sha256 (when set). An error response is never
// written to destination. The local file stays on disk in every case but the
// last, where it is removed.
//
// The program runs elevated, so destination must not be anybody else's file:
// it is made anew through files (whatever had its name is deleted first), and
// a link or junction in its path is refused. Once complete it is sealed, and
// kept, when given, holds it open so that nobody can change it until the
// caller has used it.
bool DownloadFile(Internet& internet, SystemInfo& system, PrivateFiles& files, JobContext& context,
                  std::string& destination, std::string url, PrivateFile* kept = nullptr);

}  // namespace velk
