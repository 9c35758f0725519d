#include "SignatureVerifier.h"

#include "OpenSslPointers.h"

#include <openssl/x509.h>

#include <string>

namespace chunkstore {

StoreError VerifyP256Sha256(const P256PublicKey& key, std::string_view message, const P256Signature& signature) {
    std::string keyDer = P256PublicKeyDer(key);
    const auto* keyBytes = reinterpret_cast<const unsigned char*>(keyDer.data());
    PkeyPtr pkey(d2i_PUBKEY(nullptr, &keyBytes, static_cast<long>(keyDer.size())));
    if (pkey == nullptr) {
        return StoreError::PublisherKeyInvalid;
    }
    MdContextPtr context(EVP_MD_CTX_new());
    if (context == nullptr ||
        EVP_DigestVerifyInit(context.get(), nullptr, EVP_sha256(), nullptr, pkey.get()) != 1) {
        return StoreError::HashUnavailable;
    }
    std::string signatureDer = P256SignatureDer(signature);
    int verified = EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char*>(signatureDer.data()),
                                    signatureDer.size(), reinterpret_cast<const unsigned char*>(message.data()),
                                    message.size());
    return verified == 1 ? StoreError::Ok : StoreError::SignatureMismatch;
}

}  // namespace chunkstore
