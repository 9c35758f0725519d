#include "StorePath.h"

#include "StoreLimits.h"

#include <cstdint>

namespace chunkstore {
namespace {

// Decodes one UTF-8 sequence at `at`, strictly (no overlong forms, no
// surrogates, nothing above U+10FFFF). False on malformed input.
bool DecodeUtf8(std::string_view text, size_t& at, uint32_t& codePoint) {
    auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    uint8_t lead = byte(at);
    size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
    if (length == 0 || text.size() - at < length) {
        return false;
    }
    uint32_t value = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return false;
        }
        value = value << 6 | (byte(at + i) & 0x3F);
    }
    static const uint32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kShortest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return false;
    }
    at += length;
    codePoint = value;
    return true;
}

void EncodeUtf8(uint32_t codePoint, std::string& out) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | codePoint >> 6);
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | codePoint >> 12);
        out += static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | codePoint >> 18);
        out += static_cast<char>(0x80 | (codePoint >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

// In Latin Extended-A, upper and lower case alternate; `upperParity` is the
// parity of the upper-case letters in the run.
uint32_t FoldAlternating(uint32_t c, uint32_t upperParity) { return (c & 1) == upperParity ? c : c - 1; }

uint32_t FoldCodePoint(uint32_t c) {
    if (c >= 'a' && c <= 'z') return c - 0x20;
    if (c < 0x80) return c;
    if (c == 0xB5) return 0x39C;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x12F) return FoldAlternating(c, 0);
    if (c == 0x131) return 'I';
    if (c >= 0x132 && c <= 0x137) return FoldAlternating(c, 0);
    if (c >= 0x139 && c <= 0x148) return FoldAlternating(c, 1);
    if (c >= 0x14A && c <= 0x177) return FoldAlternating(c, 0);
    if (c >= 0x179 && c <= 0x17E) return FoldAlternating(c, 1);
    if (c == 0x17F) return 'S';
    if (c == 0x3AC) return 0x386;
    if (c >= 0x3AD && c <= 0x3AF) return c - 0x25;
    if (c == 0x3C2) return 0x3A3;
    if (c >= 0x3B1 && c <= 0x3CB) return c - 0x20;
    if (c == 0x3CC) return 0x38C;
    if (c >= 0x3CD && c <= 0x3CE) return c - 0x3F;
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    if (c >= 0xFF41 && c <= 0xFF5A) return c - 0x20;
    return c;
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 0x20) : c; }

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    }
    return true;
}

// Windows opens a device for these names whatever follows the first dot,
// and ignores spaces before that dot.
bool IsDeviceName(std::string_view component) {
    std::string_view base = component.substr(0, component.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    static const char* const kNames[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* name : kNames) {
        if (EqualsIgnoringAsciiCase(base, name)) return true;
    }
    // COM0 to COM9 and LPT0 to LPT9, and with a superscript 1, 2 or 3.
    if (base.size() < 4 || (!EqualsIgnoringAsciiCase(base.substr(0, 3), "COM") &&
                            !EqualsIgnoringAsciiCase(base.substr(0, 3), "LPT"))) {
        return false;
    }
    std::string_view tail = base.substr(3);
    return (tail.size() == 1 && tail[0] >= '0' && tail[0] <= '9') || tail == "\xC2\xB9" || tail == "\xC2\xB2" ||
           tail == "\xC2\xB3";
}

bool IsForbiddenCharacter(uint32_t c) {
    if (c < 0x20) return true;
    switch (c) {
        case '<': case '>': case ':': case '"': case '\\': case '|': case '?': case '*': return true;
        default: return false;
    }
}

bool HasDrivePrefix(std::string_view path) {
    return path.size() >= 2 && path[1] == ':' && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

StoreError CheckComponent(std::string_view component) {
    if (component.empty()) return StoreError::PathEmptyComponent;
    if (component == "." || component == "..") return StoreError::PathDotComponent;
    if (component.size() > kMaxComponentBytes) return StoreError::PathComponentTooLong;
    size_t at = 0;
    while (at < component.size()) {
        uint32_t c = 0;
        if (!DecodeUtf8(component, at, c)) return StoreError::PathNotUtf8;
        if (IsForbiddenCharacter(c)) return StoreError::PathBadCharacter;
    }
    if (component.back() == '.' || component.back() == ' ') return StoreError::PathTrailingDotOrSpace;
    if (IsDeviceName(component)) return StoreError::PathReservedName;
    return StoreError::Ok;
}

}  // namespace

StoreError CheckStorePath(std::string_view path) {
    if (path.empty()) return StoreError::PathEmpty;
    if (path.size() > kMaxPathBytes) return StoreError::PathTooLong;
    if (path[0] == '/' || path[0] == '\\' || HasDrivePrefix(path)) return StoreError::PathAbsolute;
    // The launcher keeps its own state in the game folder under this prefix.
    if (EqualsIgnoringAsciiCase(path.substr(0, 6), ".korva")) return StoreError::PathReservedForLauncher;
    size_t start = 0;
    for (;;) {
        size_t end = path.find('/', start);
        StoreError error = CheckComponent(path.substr(start, end == std::string_view::npos ? end : end - start));
        if (error != StoreError::Ok) return error;
        if (end == std::string_view::npos) return StoreError::Ok;
        start = end + 1;
    }
}

std::string FoldPathCase(std::string_view path) {
    std::string folded;
    folded.reserve(path.size());
    size_t at = 0;
    while (at < path.size()) {
        uint32_t c = 0;
        if (!DecodeUtf8(path, at, c)) {
            // Not reached for checked paths; keep the byte so folding stays total.
            folded += path[at++];
            continue;
        }
        EncodeUtf8(FoldCodePoint(c), folded);
    }
    return folded;
}

}  // namespace chunkstore
