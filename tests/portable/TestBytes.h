#pragma once
#include <cstdint>
#include <string>

namespace testkit {

// Reproducible contents: the same seed always gives the same bytes.
// Random bytes do not compress; text-like bytes (words from a small
// vocabulary) compress several times.
std::string RandomBytes(size_t size, uint64_t seed);
std::string TextLikeBytes(size_t size, uint64_t seed);

// A string's bytes as the store's readers take them.
inline const uint8_t* BytesOf(const std::string& bytes) { return reinterpret_cast<const uint8_t*>(bytes.data()); }

}  // namespace testkit
