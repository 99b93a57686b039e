#include <openssl/evp.h>

#include <memory>

#include "platform/digest.h"

namespace velk {
namespace {

struct ContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

class OpensslDigest : public Digest {
  public:
    explicit OpensslDigest(std::unique_ptr<EVP_MD_CTX, ContextFree> context)
        : context_(std::move(context)) {}

    void Update(const void* data, std::size_t size) override {
        EVP_DigestUpdate(context_.get(), data, size);
    }

    std::vector<std::uint8_t> Finish() override {
        std::vector<std::uint8_t> hash(EVP_MAX_MD_SIZE);
        unsigned int length = 0;
        if (!EVP_DigestFinal_ex(context_.get(), hash.data(), &length)) return {};
        hash.resize(length);
        return hash;
    }

  private:
    std::unique_ptr<EVP_MD_CTX, ContextFree> context_;
};

}  // namespace

std::unique_ptr<Digest> NewDigest(DigestKind kind) {
    std::unique_ptr<EVP_MD_CTX, ContextFree> context(EVP_MD_CTX_new());
    const EVP_MD* algorithm = kind == DigestKind::Sha1 ? EVP_sha1() : EVP_sha256();
    if (!context || !EVP_DigestInit_ex(context.get(), algorithm, nullptr)) return nullptr;
    return std::make_unique<OpensslDigest>(std::move(context));
}

}  // namespace velk
