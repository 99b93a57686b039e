// The hash functions against published test vectors: libcrypto natively,
// CryptoAPI under Wine.
#include <gtest/gtest.h>

#include <string>

#include "platform/digest.h"

namespace velk {
namespace {

std::string HashInPieces(DigestKind kind, const std::string& data, std::size_t piece) {
    const auto digest = NewDigest(kind);
    if (!digest) return "no implementation";
    for (std::size_t at = 0; at < data.size(); at += piece) {
        digest->Update(data.data() + at, std::min(piece, data.size() - at));
    }
    return HexText(digest->Finish());
}

TEST(DigestContract, KnownVectorsWholeAndInPieces) {
    const std::string million(1000000, 'a');
    EXPECT_EQ(DigestHex(DigestKind::Sha256, ""),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(DigestHex(DigestKind::Sha256, "abc"),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(HashInPieces(DigestKind::Sha256, million, 20000),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    EXPECT_EQ(HashInPieces(DigestKind::Sha256,
                           "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", 7),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(DigestHex(DigestKind::Sha1, "abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(HashInPieces(DigestKind::Sha1, million, 4096),
              "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
}

}  // namespace
}  // namespace velk
