#include "EcdsaP256.h"

#include <cstring>

namespace chunkstore {
namespace {

// SEQUENCE { SEQUENCE { OID id-ecPublicKey, OID prime256v1 }, BIT STRING 0x00 0x04 ... }
const uint8_t kSpkiPrefix[] = {0x30, 0x59, 0x30, 0x13, 0x06, 0x07, 0x2A, 0x86, 0x48, 0xCE, 0x3D, 0x02, 0x01,
                               0x06, 0x08, 0x2A, 0x86, 0x48, 0xCE, 0x3D, 0x03, 0x01, 0x07, 0x03, 0x42, 0x00};

// One DER INTEGER holding a positive number of at most 32 bytes, written
// right-aligned into `out`; `at` moves past it.
bool ReadScalar(std::string_view der, size_t& at, uint8_t* out) {
    if (der.size() - at < 2 || static_cast<uint8_t>(der[at]) != 0x02) {
        return false;
    }
    size_t length = static_cast<uint8_t>(der[at + 1]);
    size_t start = at + 2;
    if (length == 0 || length > der.size() - start) {
        return false;
    }
    const auto* value = reinterpret_cast<const uint8_t*>(der.data() + start);
    // Negative, zero, or a leading zero byte that DER forbids.
    if ((value[0] & 0x80) != 0 || (value[0] == 0 && (length == 1 || (value[1] & 0x80) == 0))) {
        return false;
    }
    size_t skip = value[0] == 0 ? 1 : 0;
    if (length - skip > 32) {
        return false;
    }
    std::memset(out, 0, 32);
    std::memcpy(out + 32 - (length - skip), value + skip, length - skip);
    at = start + length;
    return true;
}

void AppendScalar(const uint8_t* value, std::string& der) {
    size_t skip = 0;
    while (skip < 31 && value[skip] == 0) ++skip;
    bool pad = (value[skip] & 0x80) != 0;
    der += '\x02';
    der += static_cast<char>(32 - skip + (pad ? 1 : 0));
    if (pad) der += '\0';
    der.append(reinterpret_cast<const char*>(value + skip), 32 - skip);
}

}  // namespace

bool ParseP256PublicKeyDer(std::string_view der, P256PublicKey& key) {
    if (der.size() != sizeof(kSpkiPrefix) + key.point.size() ||
        std::memcmp(der.data(), kSpkiPrefix, sizeof(kSpkiPrefix)) != 0 ||
        static_cast<uint8_t>(der[sizeof(kSpkiPrefix)]) != 0x04) {
        return false;
    }
    std::memcpy(key.point.data(), der.data() + sizeof(kSpkiPrefix), key.point.size());
    return true;
}

bool ParseP256SignatureDer(std::string_view der, P256Signature& signature) {
    // Two integers take at most 70 bytes, so the sequence length is one byte.
    if (der.size() < 2 || static_cast<uint8_t>(der[0]) != 0x30 || static_cast<uint8_t>(der[1]) >= 0x80 ||
        static_cast<uint8_t>(der[1]) != der.size() - 2) {
        return false;
    }
    P256Signature parsed;
    size_t at = 2;
    if (!ReadScalar(der, at, parsed.rs.data()) || !ReadScalar(der, at, parsed.rs.data() + 32) ||
        at != der.size()) {
        return false;
    }
    signature = parsed;
    return true;
}

std::string P256PublicKeyDer(const P256PublicKey& key) {
    std::string der(reinterpret_cast<const char*>(kSpkiPrefix), sizeof(kSpkiPrefix));
    der.append(reinterpret_cast<const char*>(key.point.data()), key.point.size());
    return der;
}

std::string P256SignatureDer(const P256Signature& signature) {
    std::string body;
    AppendScalar(signature.rs.data(), body);
    AppendScalar(signature.rs.data() + 32, body);
    return std::string{'\x30', static_cast<char>(body.size())} + body;
}

}  // namespace chunkstore
