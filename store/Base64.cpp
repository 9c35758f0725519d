#include "Base64.h"

#include <cstdint>

namespace chunkstore {
namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int SextetOf(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

}  // namespace

std::string Base64Encode(std::string_view bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t at = 0; at < bytes.size(); at += 3) {
        size_t left = bytes.size() - at;
        uint32_t group = static_cast<uint8_t>(bytes[at]) << 16;
        if (left > 1) group |= static_cast<uint8_t>(bytes[at + 1]) << 8;
        if (left > 2) group |= static_cast<uint8_t>(bytes[at + 2]);
        text += kAlphabet[group >> 18 & 63];
        text += kAlphabet[group >> 12 & 63];
        text += left > 1 ? kAlphabet[group >> 6 & 63] : '=';
        text += left > 2 ? kAlphabet[group & 63] : '=';
    }
    return text;
}

bool Base64Decode(std::string_view text, std::string& bytes) {
    if (text.size() % 4 != 0) {
        return false;
    }
    std::string decoded;
    decoded.reserve(text.size() / 4 * 3);
    for (size_t at = 0; at < text.size(); at += 4) {
        bool last = at + 4 == text.size();
        size_t padding = 0;
        if (last && text[at + 3] == '=') padding = text[at + 2] == '=' ? 2 : 1;
        uint32_t group = 0;
        for (size_t i = 0; i < 4 - padding; ++i) {
            int sextet = SextetOf(text[at + i]);
            if (sextet < 0) {
                return false;
            }
            group = group << 6 | static_cast<uint32_t>(sextet);
        }
        group <<= 6 * padding;
        // Bits below the last whole byte must be zero.
        if ((padding == 1 && (group & 0xFF) != 0) || (padding == 2 && (group & 0xFFFF) != 0)) {
            return false;
        }
        decoded += static_cast<char>(group >> 16);
        if (padding < 2) decoded += static_cast<char>(group >> 8 & 0xFF);
        if (padding < 1) decoded += static_cast<char>(group & 0xFF);
    }
    bytes = std::move(decoded);
    return true;
}

}  // namespace chunkstore
