#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/certificate_stores.h"

namespace velk::test {

// One set of certificate stores the suite runs against. remove takes every
// certificate of that thumbprint out of the named store of the current user,
// removeFromMachine out of the machine's, so the suite leaves the system as
// it found it.
struct CertificateStoresTarget {
    using Remove = std::function<void(const std::string& store, const Bytes& thumbprint)>;
    std::string name;
    std::function<std::unique_ptr<CertificateStores>()> make;
    Remove remove;
    Remove removeFromMachine;
};

inline void PrintTo(const CertificateStoresTarget& target, std::ostream* out) {
    *out << target.name;
}

// Provided by the bindings: crypt32 under Wine, the fake natively.
std::vector<CertificateStoresTarget> CertificateStoresTargets();

}  // namespace velk::test
