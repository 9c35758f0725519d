#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace chunkstore {

// A SHA-256 digest: names a chunk by its content, pins a manifest.
using Digest = std::array<uint8_t, 32>;

// The 64 lower-case hexadecimal digits of `digest`.
std::string DigestHex(const Digest& digest);
// True when `text` is exactly 64 lower-case hexadecimal digits.
bool ParseDigestHex(std::string_view text, Digest& digest);

}  // namespace chunkstore
