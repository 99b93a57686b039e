#include "support/trusted_test_ca.h"

#include <windows.h>

#include <fstream>
#include <iterator>

#include "support/test_server.h"

namespace velk::test {

namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

const BYTE* Bytes(const std::string& encoded) {
    return reinterpret_cast<const BYTE*>(encoded.data());
}

}  // namespace

void TrustedTestCa::SetUp() {
    std::ifstream in(TestServerCaPath(), std::ios::binary);
    encoded_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    ASSERT_FALSE(encoded_.empty()) << "cannot read " << TestServerCaPath();
    HCERTSTORE store = ::CertOpenSystemStoreA(0, "ROOT");
    ASSERT_NE(store, nullptr) << ::GetLastError();
    const BOOL added = ::CertAddEncodedCertificateToStore(store, kEncoding, Bytes(encoded_),
                                                          static_cast<DWORD>(encoded_.size()),
                                                          CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    const DWORD error = ::GetLastError();
    ::CertCloseStore(store, 0);
    ASSERT_TRUE(added) << error;
}

void TrustedTestCa::TearDown() {
    if (encoded_.empty()) return;
    // Wine keeps a certificate deleted through the store of
    // CertOpenSystemStoreA; the registry provider really removes it.
    HCERTSTORE store = ::CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_A, 0, 0,
                                       CERT_SYSTEM_STORE_CURRENT_USER, "ROOT");
    ASSERT_NE(store, nullptr) << ::GetLastError();
    PCCERT_CONTEXT wanted = ::CertCreateCertificateContext(kEncoding, Bytes(encoded_),
                                                           static_cast<DWORD>(encoded_.size()));
    PCCERT_CONTEXT found = wanted == nullptr
                               ? nullptr
                               : ::CertFindCertificateInStore(store, kEncoding, 0,
                                                              CERT_FIND_EXISTING, wanted, nullptr);
    // Deleting frees the found context, whatever the outcome.
    const BOOL deleted = found != nullptr && ::CertDeleteCertificateFromStore(found);
    if (wanted != nullptr) ::CertFreeCertificateContext(wanted);
    ::CertCloseStore(store, 0);
    EXPECT_TRUE(deleted) << "the test CA is still trusted";
}

}  // namespace velk::test
