#pragma once
#include "EcdsaP256.h"
#include "StoreError.h"

#include <string_view>

namespace chunkstore {

// ECDSA P-256 with SHA-256 over `message`, by the platform: CNG on Windows
// (BCrypt, no dependency beyond the system), OpenSSL elsewhere
// (SignatureVerifierCng.cpp, SignatureVerifierOpenSsl.cpp).
// Ok when the signature holds; SignatureMismatch when it does not;
// PublisherKeyInvalid when the point is not on the curve.
StoreError VerifyP256Sha256(const P256PublicKey& key, std::string_view message, const P256Signature& signature);

}  // namespace chunkstore
