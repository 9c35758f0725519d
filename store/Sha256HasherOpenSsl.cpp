#include "Sha256Hasher.h"

#include <openssl/evp.h>

namespace chunkstore {

struct Sha256Hasher::State {
    EVP_MD_CTX* context = nullptr;  // owned
    ~State() { EVP_MD_CTX_free(context); }
};

Sha256Hasher::Sha256Hasher() {
    auto state = std::make_unique<State>();
    state->context = EVP_MD_CTX_new();
    if (state->context != nullptr && EVP_DigestInit_ex(state->context, EVP_sha256(), nullptr) == 1) {
        state_ = std::move(state);
    }
}

Sha256Hasher::~Sha256Hasher() = default;

bool Sha256Hasher::Update(const void* data, size_t size) {
    return state_ != nullptr && EVP_DigestUpdate(state_->context, data, size) == 1;
}

bool Sha256Hasher::Finish(Digest& digest) {
    unsigned int length = 0;
    return state_ != nullptr && EVP_DigestFinal_ex(state_->context, digest.data(), &length) == 1 &&
           length == digest.size() && EVP_DigestInit_ex(state_->context, EVP_sha256(), nullptr) == 1;
}

}  // namespace chunkstore
