#include "contract/certificate_stores_contract.h"
#include "platform/win32/win32_certificate_stores.h"
#include "support/test_support.h"
#include "support/win32_cleanup.h"

namespace velk::test {

std::vector<CertificateStoresTarget> CertificateStoresTargets() {
    auto make = []() -> std::unique_ptr<CertificateStores> {
        return std::make_unique<Win32CertificateStores>();
    };
    return {{WineArch(), make, &RemoveUserCertificate, &RemoveMachineCertificate}};
}

}  // namespace velk::test
