#include "SignatureVerifier.h"

#include "Sha256Hasher.h"
#include "StorePlatform.h"

#include <bcrypt.h>

#include <cstring>

namespace chunkstore {
namespace {

class ScopedAlgorithm {
public:
    ScopedAlgorithm() {
        if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&handle_, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0))) {
            handle_ = nullptr;
        }
    }
    ~ScopedAlgorithm() {
        if (handle_ != nullptr) BCryptCloseAlgorithmProvider(handle_, 0);
    }
    ScopedAlgorithm(const ScopedAlgorithm&) = delete;
    ScopedAlgorithm& operator=(const ScopedAlgorithm&) = delete;
    BCRYPT_ALG_HANDLE Get() const { return handle_; }

private:
    BCRYPT_ALG_HANDLE handle_ = nullptr;  // owned
};

class ScopedKey {
public:
    ScopedKey() = default;
    ~ScopedKey() {
        if (handle_ != nullptr) BCryptDestroyKey(handle_);
    }
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;
    BCRYPT_KEY_HANDLE* Receive() { return &handle_; }
    BCRYPT_KEY_HANDLE Get() const { return handle_; }

private:
    BCRYPT_KEY_HANDLE handle_ = nullptr;  // owned
};

}  // namespace

StoreError VerifyP256Sha256(const P256PublicKey& key, std::string_view message, const P256Signature& signature) {
    Digest digest;
    if (!Sha256Of(message.data(), message.size(), digest)) {
        return StoreError::HashUnavailable;
    }
    ScopedAlgorithm algorithm;
    if (algorithm.Get() == nullptr) {
        return StoreError::HashUnavailable;
    }
    // A public key blob: the header, then X and Y without the point's 0x04 tag.
    unsigned char blob[sizeof(BCRYPT_ECCKEY_BLOB) + 64];
    BCRYPT_ECCKEY_BLOB header = {BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
    std::memcpy(blob, &header, sizeof(header));
    std::memcpy(blob + sizeof(header), key.point.data() + 1, 64);
    ScopedKey publicKey;
    if (!BCRYPT_SUCCESS(BCryptImportKeyPair(algorithm.Get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, publicKey.Receive(),
                                            blob, sizeof(blob), 0))) {
        return StoreError::PublisherKeyInvalid;
    }
    NTSTATUS status = BCryptVerifySignature(publicKey.Get(), nullptr, digest.data(), static_cast<ULONG>(digest.size()),
                                            const_cast<PUCHAR>(signature.rs.data()),
                                            static_cast<ULONG>(signature.rs.size()), 0);
    return BCRYPT_SUCCESS(status) ? StoreError::Ok : StoreError::SignatureMismatch;
}

}  // namespace chunkstore
