#include <windows.h>
// Needs the types that windows.h declares.
#include <wincrypt.h>

#include "platform/digest.h"
#include "platform/owned_handle.h"

namespace velk {
namespace {

// CryptoAPI's AES provider has SHA-256 from Windows XP SP3 on; bcrypt.dll,
// the newer interface, would keep the program from starting on XP.
struct ReleaseProvider {
    void operator()(HCRYPTPROV provider) const { ::CryptReleaseContext(provider, 0); }
};
using Provider = OwnedHandle<HCRYPTPROV, ReleaseProvider>;

struct DestroyHash {
    void operator()(HCRYPTHASH hash) const { ::CryptDestroyHash(hash); }
};
using Hash = OwnedHandle<HCRYPTHASH, DestroyHash>;

class CryptoApiDigest : public Digest {
  public:
    CryptoApiDigest(Provider provider, Hash hash)
        : provider_(std::move(provider)), hash_(std::move(hash)) {}

    void Update(const void* data, std::size_t size) override {
        // Fed in pieces that a DWORD can count.
        const auto* bytes = static_cast<const BYTE*>(data);
        while (size > 0) {
            const DWORD piece = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
            if (!::CryptHashData(hash_.get(), bytes, piece, 0)) failed_ = true;
            bytes += piece;
            size -= piece;
        }
    }

    std::vector<std::uint8_t> Finish() override {
        DWORD length = 0;
        DWORD lengthSize = sizeof(length);
        if (failed_ || !::CryptGetHashParam(hash_.get(), HP_HASHSIZE,
                                            reinterpret_cast<BYTE*>(&length), &lengthSize, 0)) {
            return {};
        }
        std::vector<std::uint8_t> value(length);
        if (!::CryptGetHashParam(hash_.get(), HP_HASHVAL, value.data(), &length, 0)) return {};
        value.resize(length);
        return value;
    }

  private:
    Provider provider_;
    Hash hash_;
    bool failed_ = false;
};

}  // namespace

std::unique_ptr<Digest> NewDigest(DigestKind kind) {
    HCRYPTPROV rawProvider = 0;
    if (!::CryptAcquireContextA(&rawProvider, nullptr, nullptr, PROV_RSA_AES,
                                CRYPT_VERIFYCONTEXT | CRYPT_SILENT)) {
        return nullptr;
    }
    Provider provider(rawProvider, {});
    HCRYPTHASH rawHash = 0;
    const ALG_ID algorithm = kind == DigestKind::Sha1 ? CALG_SHA1 : CALG_SHA_256;
    if (!::CryptCreateHash(provider.get(), algorithm, 0, 0, &rawHash)) return nullptr;
    Hash hash(rawHash, {});
    return std::make_unique<CryptoApiDigest>(std::move(provider), std::move(hash));
}

}  // namespace velk
