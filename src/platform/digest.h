#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velk {

// The hash functions the core checks files with: SHA-1 for certificate
// thumbprints, SHA-256 for pinned downloads.
enum class DigestKind { Sha1, Sha256 };

// A hash being computed over data that arrives in pieces.
class Digest {
  public:
    virtual ~Digest() = default;
    virtual void Update(const void* data, std::size_t size) = 0;
    // The hash of everything given so far; the object is used up.
    virtual std::vector<std::uint8_t> Finish() = 0;
};

// A new hash of the given kind from the system's own implementation
// (CryptoAPI on Windows, libcrypto natively); null when the system has none.
std::unique_ptr<Digest> NewDigest(DigestKind kind);

// The hash of a whole text, as lower-case hexadecimal digits; empty when the
// system has no implementation.
std::string DigestHex(DigestKind kind, std::string_view data);

// Lower-case hexadecimal digits of bytes.
std::string HexText(const std::vector<std::uint8_t>& bytes);

}  // namespace velk
