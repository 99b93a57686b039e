#pragma once

#include "platform/certificate_stores.h"

namespace velk {

// Certificate stores over crypt32.
class Win32CertificateStores final : public CertificateStores {
  public:
    CertStoreHandle OpenSystemStore(const std::string& name) override;
    bool FindBySha1(CertStoreHandle store, const Bytes& thumbprint) override;
    bool CloseStore(CertStoreHandle store) override;
    bool AddEncodedToSystemStore(const std::string& storeName, const Bytes& encoded) override;
    bool AddEncodedToMachineStore(const std::string& storeName, const Bytes& encoded) override;
    bool Sha1(const Bytes& data, Bytes* thumbprint) override;
};

}  // namespace velk
