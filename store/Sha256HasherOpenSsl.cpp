#include "Sha256Hasher.h"

#include "OpenSslPointers.h"

namespace chunkstore {

struct Sha256Hasher::State {
    MdContextPtr context{EVP_MD_CTX_new()};
};

Sha256Hasher::Sha256Hasher() {
    auto state = std::make_unique<State>();
    if (state->context != nullptr && EVP_DigestInit_ex(state->context.get(), EVP_sha256(), nullptr) == 1) {
        state_ = std::move(state);
    }
}

Sha256Hasher::~Sha256Hasher() = default;

bool Sha256Hasher::Update(const void* data, size_t size) {
    return state_ != nullptr && EVP_DigestUpdate(state_->context.get(), data, size) == 1;
}

bool Sha256Hasher::Finish(Digest& digest) {
    unsigned int length = 0;
    return state_ != nullptr && EVP_DigestFinal_ex(state_->context.get(), digest.data(), &length) == 1 &&
           length == digest.size() && EVP_DigestInit_ex(state_->context.get(), EVP_sha256(), nullptr) == 1;
}

}  // namespace chunkstore
