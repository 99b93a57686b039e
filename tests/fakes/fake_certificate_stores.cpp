#include "fakes/fake_certificate_stores.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>

namespace velk {
namespace {

constexpr std::uint8_t kDerSequence = 0x30;
constexpr std::uint8_t kDerLongLength = 0x80;
constexpr std::size_t kDerMaxLengthBytes = 4;

std::string StoreKey(const std::string& name) {
    std::string key = name;
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return key;
}

// Whether data starts with a complete DER sequence.
bool StartsWithDerSequence(const Bytes& data) {
    if (data.size() < 2 || data[0] != kDerSequence) return false;
    std::size_t header = 2;
    std::uint64_t length = data[1];
    if (data[1] & kDerLongLength) {
        const std::size_t count = data[1] & ~kDerLongLength;
        if (count == 0 || count > kDerMaxLengthBytes || data.size() < header + count) return false;
        length = 0;
        for (std::size_t i = 0; i < count; ++i) length = length << 8 | data[header + i];
        header += count;
    }
    return data.size() - header >= length;
}

std::uint32_t RotateLeft(std::uint32_t value, int bits) {
    return value << bits | value >> (32 - bits);
}

}  // namespace

Bytes Sha1Digest(const Bytes& data) {
    std::array<std::uint32_t, 5> state = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476,
                                          0xC3D2E1F0};
    Bytes message = data;
    const std::uint64_t bitLength = static_cast<std::uint64_t>(data.size()) * 8;
    message.push_back(0x80);
    while (message.size() % 64 != 56) message.push_back(0);
    for (int shift = 56; shift >= 0; shift -= 8) {
        message.push_back(static_cast<std::uint8_t>(bitLength >> shift));
    }
    for (std::size_t block = 0; block < message.size(); block += 64) {
        std::array<std::uint32_t, 80> w{};
        for (std::size_t i = 0; i < 16; ++i) {
            const std::uint8_t* p = &message[block + i * 4];
            w[i] = std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 |
                   std::uint32_t{p[2]} << 8 | p[3];
        }
        for (std::size_t i = 16; i < 80; ++i) {
            w[i] = RotateLeft(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
        }
        auto [a, b, c, d, e] = state;
        for (std::size_t i = 0; i < 80; ++i) {
            std::uint32_t f = 0;
            std::uint32_t k = 0;
            if (i < 20) {
                f = (b & c) | (~b & d);
                k = 0x5A827999;
            } else if (i < 40) {
                f = b ^ c ^ d;
                k = 0x6ED9EBA1;
            } else if (i < 60) {
                f = (b & c) | (b & d) | (c & d);
                k = 0x8F1BBCDC;
            } else {
                f = b ^ c ^ d;
                k = 0xCA62C1D6;
            }
            const std::uint32_t next = RotateLeft(a, 5) + f + e + k + w[i];
            e = d;
            d = c;
            c = RotateLeft(b, 30);
            b = a;
            a = next;
        }
        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
        state[4] += e;
    }
    Bytes digest;
    for (const std::uint32_t word : state) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            digest.push_back(static_cast<std::uint8_t>(word >> shift));
        }
    }
    return digest;
}

bool FakeCertificateStores::Available(const std::string& name) const {
    return std::none_of(unavailable.begin(), unavailable.end(), [&](const std::string& refused) {
        return StoreKey(refused) == StoreKey(name);
    });
}

CertStoreHandle FakeCertificateStores::OpenSystemStore(const std::string& name) {
    if (!Available(name)) return 0;
    const CertStoreHandle handle = nextHandle_++;
    handles_[handle] = StoreKey(name);
    return handle;
}

bool FakeCertificateStores::FindBySha1(CertStoreHandle store, const Bytes& thumbprint) {
    const auto handle = handles_.find(store);
    if (handle == handles_.end()) return false;
    const auto holds = [&thumbprint](const std::map<std::string, std::vector<Bytes>>& stores,
                                     const std::string& name) {
        const auto certificates = stores.find(name);
        return certificates != stores.end() &&
               std::any_of(certificates->second.begin(), certificates->second.end(),
                           [&](const Bytes& encoded) { return Sha1Digest(encoded) == thumbprint; });
    };
    const std::string& name = handle->second;
    const bool showsMachine = name == "ROOT" || name == "CA";
    return holds(stores_, name) || (showsMachine && holds(machineStores_, name));
}

bool FakeCertificateStores::CloseStore(CertStoreHandle store) { return handles_.erase(store) == 1; }

bool FakeCertificateStores::AddEncodedToSystemStore(const std::string& storeName,
                                                    const Bytes& encoded) {
    return Available(storeName) && Add(stores_[StoreKey(storeName)], encoded);
}

bool FakeCertificateStores::AddEncodedToMachineStore(const std::string& storeName,
                                                     const Bytes& encoded) {
    return Available(storeName) && Add(machineStores_[StoreKey(storeName)], encoded);
}

bool FakeCertificateStores::Add(std::vector<Bytes>& store, const Bytes& encoded) {
    if (!StartsWithDerSequence(encoded)) return false;
    if (std::find(store.begin(), store.end(), encoded) == store.end()) store.push_back(encoded);
    return true;
}

bool FakeCertificateStores::Sha1(const Bytes& data, Bytes* thumbprint) {
    *thumbprint = Sha1Digest(data);
    return true;
}

std::vector<Bytes> FakeCertificateStores::Certificates(const std::string& storeName) const {
    const auto certificates = stores_.find(StoreKey(storeName));
    return certificates == stores_.end() ? std::vector<Bytes>{} : certificates->second;
}

std::vector<Bytes> FakeCertificateStores::MachineCertificates(const std::string& storeName) const {
    const auto certificates = machineStores_.find(StoreKey(storeName));
    return certificates == machineStores_.end() ? std::vector<Bytes>{} : certificates->second;
}

}  // namespace velk
