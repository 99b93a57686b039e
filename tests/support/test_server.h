#pragma once

#include <cstddef>
#include <string>

namespace velk::test {

// The bodies of the loopback test server (tests/servers/test_server.py):
// byte i is i % 251, so a block out of place or missing shows.
std::string TestPattern(std::size_t count);

// URLs of the test server that tests/servers/with_test_server started for
// this run; they throw when the program runs without it. Plain HTTP on
// 127.0.0.1; HTTPS as "localhost" with a certificate for that name, or with
// one that names another host, or with a self-signed one that no store trusts.
std::string TestServerUrl(const std::string& path);
std::string TestServerTlsUrl(const std::string& path);
std::string TestServerWrongHostUrl(const std::string& path);
std::string TestServerUntrustedUrl(const std::string& path);

// The test CA (DER) that signed the first two certificates.
std::string TestServerCaPath();

// The folder whose files the server sends as TestServerUrl("/files/" + name).
std::string TestServerFilesDir();

}  // namespace velk::test
