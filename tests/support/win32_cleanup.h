#pragma once

#include <cstdint>
#include <string>

#include "platform/certificate_stores.h"
#include "platform/registry.h"

namespace velk::test {

// Takes every certificate of that thumbprint out of the current user's store.
// Wine keeps a certificate deleted through a store that CertOpenSystemStoreA
// opened; deleting through the registry provider underneath removes it.
void RemoveUserCertificate(const std::string& store, const Bytes& thumbprint);
// The same for the local machine's store of that name.
void RemoveMachineCertificate(const std::string& store, const Bytes& thumbprint);

// Deletes root\path with everything below it, in both registry views.
void RemoveRegistryTree(RegHandle root, const std::string& path);

// Clears the read-only attribute of everything below folder, so that it can
// be removed.
void ClearReadOnly(const std::string& folder);

// Whether a read-only file in folder really refuses to be written: Wine run
// by root cannot refuse, since root writes any file whatever its mode.
bool ReadOnlyIsEnforced(const std::string& folder);

}  // namespace velk::test
