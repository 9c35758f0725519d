#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace korvapack {

// Signs a pointer payload with the publisher's ECDSA P-256 key (SHA-256),
// read from `keyFile`: PEM PKCS#8, unencrypted, as `openssl genpkey
// -algorithm EC -pkeyopt ec_paramgen_curve:P-256` writes it. Gives the DER
// signature and the key's public half as DER SubjectPublicKeyInfo (what
// launchers are configured with). OpenSSL does the work on the build
// machine (PointerSignerOpenSsl.cpp); the Windows build refuses
// (PointerSignerUnavailable.cpp).
bool SignPointerPayload(const std::filesystem::path& keyFile, std::string_view payload, std::string& signatureDer,
                        std::string& publicKeyDer, std::string& error);

}  // namespace korvapack
