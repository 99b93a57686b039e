#include "contract/certificate_stores_contract.h"
#include "fakes/fake_certificate_stores.h"

namespace velk::test {

std::vector<CertificateStoresTarget> CertificateStoresTargets() {
    auto make = []() -> std::unique_ptr<CertificateStores> {
        return std::make_unique<FakeCertificateStores>();
    };
    // Each test gets fresh stores, so there is nothing to remove.
    auto keep = [](const std::string&, const Bytes&) {};
    return {{"fake", make, keep, keep}};
}

}  // namespace velk::test
