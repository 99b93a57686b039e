#include "platform/win32/win32_certificate_stores.h"

#include <windows.h>
// Needs the types that windows.h declares.
#include <wincrypt.h>

namespace velk {
namespace {

HCERTSTORE StoreOf(CertStoreHandle store) { return reinterpret_cast<HCERTSTORE>(store); }

// CryptoAPI takes non-const pointers to data it only reads.
BYTE* DataOf(const Bytes& bytes) { return const_cast<BYTE*>(bytes.data()); }

}  // namespace

CertStoreHandle Win32CertificateStores::OpenSystemStore(const std::string& name) {
    return reinterpret_cast<CertStoreHandle>(::CertOpenSystemStoreA(0, name.c_str()));
}

bool Win32CertificateStores::FindBySha1(CertStoreHandle store, const Bytes& thumbprint) {
    CRYPT_HASH_BLOB hash{static_cast<DWORD>(thumbprint.size()), DataOf(thumbprint)};
    const PCCERT_CONTEXT found =
        ::CertFindCertificateInStore(StoreOf(store), X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, 0,
                                     CERT_FIND_SHA1_HASH, &hash, nullptr);
    if (found == nullptr) return false;
    ::CertFreeCertificateContext(found);
    return true;
}

bool Win32CertificateStores::CloseStore(CertStoreHandle store) {
    return ::CertCloseStore(StoreOf(store), CERT_CLOSE_STORE_CHECK_FLAG) != FALSE;
}

bool Win32CertificateStores::AddEncodedToSystemStore(const std::string& storeName,
                                                     const Bytes& encoded) {
    return ::CertAddEncodedCertificateToSystemStoreA(storeName.c_str(), DataOf(encoded),
                                                     static_cast<DWORD>(encoded.size())) != FALSE;
}

bool Win32CertificateStores::AddEncodedToMachineStore(const std::string& storeName,
                                                      const Bytes& encoded) {
    const HCERTSTORE store = ::CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0,
                                             CERT_SYSTEM_STORE_LOCAL_MACHINE, storeName.c_str());
    if (store == nullptr) return false;
    const bool added =
        ::CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING,
                                           DataOf(encoded), static_cast<DWORD>(encoded.size()),
                                           CERT_STORE_ADD_USE_EXISTING, nullptr) != FALSE;
    ::CertCloseStore(store, 0);
    return added;
}

bool Win32CertificateStores::Sha1(const Bytes& data, Bytes* thumbprint) {
    Bytes hash(kSha1Length);
    DWORD length = static_cast<DWORD>(hash.size());
    if (!::CryptHashCertificate(0, CALG_SHA1, 0, DataOf(data), static_cast<DWORD>(data.size()),
                                hash.data(), &length)) {
        return false;
    }
    hash.resize(length);
    *thumbprint = std::move(hash);
    return true;
}

}  // namespace velk
