#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/certificate_stores.h"

namespace velk {

// In-memory system stores that behave like CryptoAPI's: any name opens (a new
// name makes an empty store), names compare without letter case, adding a
// certificate already present keeps one copy, and a certificate is filed
// under the SHA-1 of its encoding. Of the decoding only the outer DER
// sequence is checked: data that is no sequence, or shorter than the sequence
// says, is refused; bytes after the sequence are kept, as the system keeps
// them. The machine's stores are apart; the current user's ROOT and CA show
// the machine's of the same name, as the system's do.
class FakeCertificateStores : public CertificateStores {
  public:
    CertStoreHandle OpenSystemStore(const std::string& name) override;
    bool FindBySha1(CertStoreHandle store, const Bytes& thumbprint) override;
    bool CloseStore(CertStoreHandle store) override;
    bool AddEncodedToSystemStore(const std::string& storeName, const Bytes& encoded) override;
    bool AddEncodedToMachineStore(const std::string& storeName, const Bytes& encoded) override;
    bool Sha1(const Bytes& data, Bytes* thumbprint) override;

    // The encodings a store of the current user (or of the machine) holds,
    // in the order they were added.
    std::vector<Bytes> Certificates(const std::string& storeName) const;
    std::vector<Bytes> MachineCertificates(const std::string& storeName) const;

    // Stores still open: tests check that nothing leaks.
    std::size_t OpenHandleCount() const { return handles_.size(); }

    // Stores that the system refuses to open or to add to, as with a broken
    // or inaccessible store. Names as spelled in the calls.
    std::set<std::string> unavailable;

  private:
    bool Available(const std::string& name) const;
    static bool Add(std::vector<Bytes>& store, const Bytes& encoded);

    std::map<std::string, std::vector<Bytes>> stores_;  // by name in upper case
    std::map<std::string, std::vector<Bytes>> machineStores_;
    std::map<CertStoreHandle, std::string> handles_;
    CertStoreHandle nextHandle_ = 0x2000;
};

// The SHA-1 digest of data.
Bytes Sha1Digest(const Bytes& data);

}  // namespace velk
