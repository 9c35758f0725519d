#include "TestBytes.h"

namespace testkit {
namespace {

uint64_t NextRandom(uint64_t& state) {
    state += 0x9E3779B97F4A7C15ull;
    uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

}  // namespace

std::string RandomBytes(size_t size, uint64_t seed) {
    std::string bytes(size, '\0');
    uint64_t state = seed;
    for (size_t i = 0; i < size; i += 8) {
        uint64_t word = NextRandom(state);
        for (size_t j = 0; j < 8 && i + j < size; ++j) bytes[i + j] = static_cast<char>(word >> (8 * j));
    }
    return bytes;
}

std::string TextLikeBytes(size_t size, uint64_t seed) {
    static const char* const kWords[] = {"sword ", "shield ", "dragon ", "castle ", "quest ", "potion ", "level ",
                                         "mana ",  "guild ",  "forest ", "armor ",  "spell ", "gold ",   "map\n"};
    std::string bytes;
    bytes.reserve(size + 8);
    uint64_t state = seed;
    while (bytes.size() < size) bytes += kWords[NextRandom(state) % (sizeof(kWords) / sizeof(kWords[0]))];
    bytes.resize(size);
    return bytes;
}

}  // namespace testkit
