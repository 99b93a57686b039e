#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/owned_handle.h"

namespace velk {

// A certificate store handle. Zero is never a valid handle.
using CertStoreHandle = std::uintptr_t;

// Certificates are located by their SHA-1 thumbprint, which is this long.
inline constexpr std::size_t kSha1Length = 20;

using Bytes = std::vector<std::uint8_t>;

// The current user's system certificate stores in CryptoAPI's own terms: each
// call behaves like the crypt32 function it is named after (ANSI variant).
// Store names are the system's ("ROOT", "CA", "MY", ...); a name that does not
// exist yet opens a new, empty store.
class CertificateStores {
  public:
    virtual ~CertificateStores() = default;

    // CertOpenSystemStoreA without a provider handle; 0 on failure.
    virtual CertStoreHandle OpenSystemStore(const std::string& name) = 0;

    // CertFindCertificateInStore with X509_ASN_ENCODING | PKCS_7_ASN_ENCODING,
    // no flags, CERT_FIND_SHA1_HASH and no previous context: whether a
    // certificate of that thumbprint is in the store. The context found is
    // freed at once, since nothing reads it.
    virtual bool FindBySha1(CertStoreHandle store, const Bytes& thumbprint) = 0;

    // CertCloseStore with CERT_CLOSE_STORE_CHECK_FLAG.
    virtual bool CloseStore(CertStoreHandle store) = 0;

    // CertAddEncodedCertificateToSystemStoreA: adds one DER-encoded X.509
    // certificate (or keeps the one already there); false when the data is
    // no certificate or the store refuses it.
    virtual bool AddEncodedToSystemStore(const std::string& storeName, const Bytes& encoded) = 0;

    // The same for the local machine's system store of that name
    // (CertOpenStore with CERT_STORE_PROV_SYSTEM_A and
    // CERT_SYSTEM_STORE_LOCAL_MACHINE, CertAddEncodedCertificateToStore with
    // CERT_STORE_ADD_USE_EXISTING): no question to the user, trusted by every
    // user. The current user's ROOT and CA stores show the machine's.
    virtual bool AddEncodedToMachineStore(const std::string& storeName, const Bytes& encoded) = 0;

    // CryptHashCertificate with CALG_SHA1 and the default provider: the
    // thumbprint of data, as the stores file a certificate of that encoding.
    virtual bool Sha1(const Bytes& data, Bytes* thumbprint) = 0;
};

// Owns one open store and closes it, with the check flag, on every path.
struct CloseCertStore {
    CertificateStores* stores = nullptr;
    void operator()(CertStoreHandle handle) const { stores->CloseStore(handle); }
};
using CertStore = OwnedHandle<CertStoreHandle, CloseCertStore>;

}  // namespace velk
