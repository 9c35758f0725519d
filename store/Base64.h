#pragma once
#include <string>
#include <string_view>

namespace chunkstore {

// Standard base64 (RFC 4648, '+' '/', '=' padding), as `base64 -w0` writes it.
std::string Base64Encode(std::string_view bytes);
// Strict: no whitespace, no line breaks, padding required and exact, unused
// bits zero, so each byte string has one text. False on anything else.
bool Base64Decode(std::string_view text, std::string& bytes);

}  // namespace chunkstore
