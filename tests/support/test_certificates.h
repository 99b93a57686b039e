#pragma once

#include <string>

#include "platform/certificate_stores.h"

namespace velk::test {

// The certificates that make_test_certificates wrote into the build tree.
inline constexpr const char* kTestCertificateNames[] = {"root", "ca", "third"};

struct TestCertificate {
    Bytes der;
    Bytes pem;  // the same certificate as text, which is no DER encoding
    Bytes thumbprint;
    std::string path;  // of the DER file
};

// Throws when the build made no such certificate.
TestCertificate LoadTestCertificate(const std::string& name);

// Bytes in the component file's form: two hexadecimal digits each, single blanks between.
std::string StampOf(const Bytes& bytes);

}  // namespace velk::test
