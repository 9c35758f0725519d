#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace chunkstore {

// An uncompressed P-256 point: 0x04, then X and Y, big-endian.
struct P256PublicKey {
    std::array<uint8_t, 65> point{};
};

// An ECDSA signature as r and s, each 32 big-endian bytes (what CNG takes).
struct P256Signature {
    std::array<uint8_t, 64> rs{};
};

// The DER SubjectPublicKeyInfo of an uncompressed P-256 key, exactly as
// `openssl pkey -pubout -outform DER` writes it; false for any other shape.
bool ParseP256PublicKeyDer(std::string_view der, P256PublicKey& key);
// A DER ECDSA-Sig-Value (what OpenSSL signs into), strictly: minimal
// lengths, positive minimal integers of at most 32 bytes, nothing after.
bool ParseP256SignatureDer(std::string_view der, P256Signature& signature);

// The DER forms of the two, as the parsers above accept them.
std::string P256PublicKeyDer(const P256PublicKey& key);
std::string P256SignatureDer(const P256Signature& signature);

}  // namespace chunkstore
