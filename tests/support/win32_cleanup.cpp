#include "support/win32_cleanup.h"

#include <windows.h>
// Needs the types that windows.h declares.
#include <wincrypt.h>

#include <filesystem>
#include <fstream>

namespace velk::test {

namespace {

void RemoveCertificate(DWORD location, const std::string& store, const Bytes& thumbprint) {
    const HCERTSTORE registry =
        ::CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_A, 0, 0, location, store.c_str());
    if (registry == nullptr) return;
    CRYPT_HASH_BLOB hash{static_cast<DWORD>(thumbprint.size()),
                         const_cast<BYTE*>(thumbprint.data())};
    while (const PCCERT_CONTEXT found = ::CertFindCertificateInStore(
               registry, X509_ASN_ENCODING, 0, CERT_FIND_SHA1_HASH, &hash, nullptr)) {
        // Frees the context whether or not it succeeds.
        if (!::CertDeleteCertificateFromStore(found)) break;
    }
    ::CertCloseStore(registry, 0);
}

}  // namespace

void RemoveUserCertificate(const std::string& store, const Bytes& thumbprint) {
    RemoveCertificate(CERT_SYSTEM_STORE_CURRENT_USER, store, thumbprint);
}

void RemoveMachineCertificate(const std::string& store, const Bytes& thumbprint) {
    RemoveCertificate(CERT_SYSTEM_STORE_LOCAL_MACHINE, store, thumbprint);
}

void RemoveRegistryTree(RegHandle root, const std::string& path) {
    for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(reinterpret_cast<HKEY>(root), path.c_str(), 0, KEY_ALL_ACCESS | view,
                            &key) == ERROR_SUCCESS) {
            ::RegDeleteTreeA(key, nullptr);
            ::RegCloseKey(key);
            ::RegDeleteKeyExA(reinterpret_cast<HKEY>(root), path.c_str(), view, 0);
        }
    }
}

void ClearReadOnly(const std::string& folder) {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, ignored)) {
        ::SetFileAttributesA(entry.path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

bool ReadOnlyIsEnforced(const std::string& folder) {
    const std::string probe = folder + "\\read-only probe";
    std::ofstream(probe, std::ios::binary) << "probe";
    ::SetFileAttributesA(probe.c_str(), FILE_ATTRIBUTE_READONLY);
    const HANDLE handle =
        ::CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ::SetFileAttributesA(probe.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (handle == INVALID_HANDLE_VALUE) return true;
    ::CloseHandle(handle);
    return false;
}

}  // namespace velk::test
