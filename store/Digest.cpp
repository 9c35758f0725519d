#include "Digest.h"

namespace chunkstore {
namespace {

const char kHexDigits[] = "0123456789abcdef";

int LowerHexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string DigestHex(const Digest& digest) {
    std::string hex;
    hex.reserve(2 * digest.size());
    for (uint8_t byte : digest) {
        hex += kHexDigits[byte >> 4];
        hex += kHexDigits[byte & 0x0F];
    }
    return hex;
}

bool ParseDigestHex(std::string_view text, Digest& digest) {
    if (text.size() != 2 * digest.size()) {
        return false;
    }
    Digest parsed{};
    for (size_t i = 0; i < parsed.size(); ++i) {
        int high = LowerHexValue(text[2 * i]);
        int low = LowerHexValue(text[2 * i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        parsed[i] = static_cast<uint8_t>(high << 4 | low);
    }
    digest = parsed;
    return true;
}

}  // namespace chunkstore
