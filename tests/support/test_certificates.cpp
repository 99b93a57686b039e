#include "support/test_certificates.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace velk::test {
namespace {

Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("no test certificate file " + path);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

Bytes FromHex(const Bytes& text) {
    Bytes bytes;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        const std::string digits(text.begin() + i, text.begin() + i + 2);
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(digits, nullptr, 16)));
    }
    return bytes;
}

}  // namespace

TestCertificate LoadTestCertificate(const std::string& name) {
    const std::string base = std::string(VELK_TEST_CERTIFICATES_DIR) + "/" + name;
    TestCertificate certificate;
    certificate.path = base + ".der";
    certificate.der = ReadAll(certificate.path);
    certificate.pem = ReadAll(base + ".pem");
    certificate.thumbprint = FromHex(ReadAll(base + ".sha1"));
    if (certificate.thumbprint.size() != kSha1Length) {
        throw std::runtime_error("bad thumbprint file for " + name);
    }
    return certificate;
}

std::string StampOf(const Bytes& bytes) {
    std::string stamp;
    for (const std::uint8_t byte : bytes) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", byte);
        if (!stamp.empty()) stamp += ' ';
        stamp += digits;
    }
    return stamp;
}

}  // namespace velk::test
