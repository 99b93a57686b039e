#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/internet.h"

namespace velk::test {

// What the Internet suite fetches, with the test server's answers
// (tests/servers/test_server.py); the fake is scripted with the same.
inline constexpr std::size_t kContractBodySize = 100000;
inline constexpr char kContractBodyPath[] = "/bytes/100000";       // pattern, with length
inline constexpr char kContractChunkedPath[] = "/chunked/100000";  // pattern, no length
inline constexpr int kContractErrorStatuses[] = {404, 500};
// The server announces the body's length, sends this much and closes.
inline constexpr std::size_t kContractDroppedSize = 30000;
inline constexpr char kContractDroppedPath[] = "/drop/100000/30000";
std::string ContractStatusPath(int status);  // "/status/404"
std::string ContractStatusPage(int status);  // its body: "status 404 body"

using UrlOf = std::function<std::string(const std::string& path)>;

// One WinInet the suite runs against, and where its server answers: plain
// HTTP, HTTPS with a trusted certificate for the host, with a trusted one for
// another host, and with one that nobody trusts.
struct InternetTarget {
    std::string name;
    std::function<std::unique_ptr<Internet>()> make;
    UrlOf url;
    UrlOf tlsUrl;
    UrlOf wrongHostUrl;
    UrlOf untrustedUrl;
};

inline void PrintTo(const InternetTarget& target, std::ostream* out) { *out << target.name; }

// Provided by the bindings: WinInet and the loopback test server under Wine,
// the scripted fake natively.
std::vector<InternetTarget> InternetTargets();

}  // namespace velk::test
