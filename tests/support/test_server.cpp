#include "support/test_server.h"

#include <cstdlib>
#include <stdexcept>

namespace velk::test {

namespace {

constexpr std::size_t kPatternPeriod = 251;

std::string Setting(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        throw std::runtime_error(
            std::string(name) +
            " is not set: run the program through tests/servers/with_test_server");
    }
    return value;
}

}  // namespace

std::string TestPattern(std::size_t count) {
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>(i % kPatternPeriod);
    return bytes;
}

std::string TestServerUrl(const std::string& path) {
    return "http://127.0.0.1:" + Setting("VELK_TEST_SERVER_PORT") + path;
}

std::string TestServerTlsUrl(const std::string& path) {
    return "https://localhost:" + Setting("VELK_TEST_SERVER_TLS_PORT") + path;
}

std::string TestServerWrongHostUrl(const std::string& path) {
    return "https://localhost:" + Setting("VELK_TEST_SERVER_WRONG_HOST_PORT") + path;
}

std::string TestServerUntrustedUrl(const std::string& path) {
    return "https://localhost:" + Setting("VELK_TEST_SERVER_UNTRUSTED_PORT") + path;
}

std::string TestServerCaPath() { return Setting("VELK_TEST_CA"); }

std::string TestServerFilesDir() { return Setting("VELK_TEST_SERVER_FILES"); }

}  // namespace velk::test
