#include "Sha256Hasher.h"

#include "StorePlatform.h"

#include <bcrypt.h>

#include <algorithm>

namespace chunkstore {

// Windows 7 has no reusable hash objects, so each Finish opens a fresh one.
struct Sha256Hasher::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;  // owned
    BCRYPT_HASH_HANDLE hash = nullptr;      // owned

    ~State() {
        if (hash != nullptr) BCryptDestroyHash(hash);
        if (algorithm != nullptr) BCryptCloseAlgorithmProvider(algorithm, 0);
    }
    bool Restart() {
        if (hash != nullptr) BCryptDestroyHash(hash);
        hash = nullptr;
        return BCRYPT_SUCCESS(BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0));
    }
};

Sha256Hasher::Sha256Hasher() {
    auto state = std::make_unique<State>();
    if (BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&state->algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)) &&
        state->Restart()) {
        state_ = std::move(state);
    }
}

Sha256Hasher::~Sha256Hasher() = default;

bool Sha256Hasher::Update(const void* data, size_t size) {
    if (state_ == nullptr || state_->hash == nullptr) {
        return false;
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        ULONG part = static_cast<ULONG>(std::min<size_t>(size, 1u << 30));
        if (!BCRYPT_SUCCESS(BCryptHashData(state_->hash, const_cast<PUCHAR>(bytes), part, 0))) {
            return false;
        }
        bytes += part;
        size -= part;
    }
    return true;
}

bool Sha256Hasher::Finish(Digest& digest) {
    if (state_ == nullptr || state_->hash == nullptr) {
        return false;
    }
    bool done = BCRYPT_SUCCESS(BCryptFinishHash(state_->hash, digest.data(), static_cast<ULONG>(digest.size()), 0));
    return state_->Restart() && done;
}

}  // namespace chunkstore
