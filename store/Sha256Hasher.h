#pragma once
#include "Digest.h"

#include <cstddef>
#include <memory>

namespace chunkstore {

// SHA-256 from the platform: CNG on Windows, OpenSSL's libcrypto elsewhere
// (Sha256HasherCng.cpp, Sha256HasherOpenSsl.cpp; the build picks one).
class Sha256Hasher {
public:
    Sha256Hasher();
    ~Sha256Hasher();
    Sha256Hasher(const Sha256Hasher&) = delete;
    Sha256Hasher& operator=(const Sha256Hasher&) = delete;

    bool Update(const void* data, size_t size);
    // The digest of everything since construction or the last Finish; the
    // hasher starts over afterwards. False when the platform failed.
    bool Finish(Digest& digest);

private:
    struct State;
    std::unique_ptr<State> state_;  // null when the platform refused a hash object
};

// The digest of one buffer in a single call.
inline bool Sha256Of(const void* data, size_t size, Digest& digest) {
    Sha256Hasher hasher;
    return hasher.Update(data, size) && hasher.Finish(digest);
}

}  // namespace chunkstore
