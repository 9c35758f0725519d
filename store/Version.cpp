#include "Version.h"

#include "StoreLimits.h"

#include <cstdint>

namespace chunkstore {
namespace {

constexpr size_t kMaxParts = 8;
constexpr size_t kMaxDigits = 9;

// The number starting at `at` (0 past the end), moving `at` past its dot.
uint32_t NextPart(std::string_view text, size_t& at) {
    uint32_t value = 0;
    while (at < text.size() && text[at] != '.') {
        value = value * 10 + static_cast<uint32_t>(text[at++] - '0');
    }
    if (at < text.size()) ++at;
    return value;
}

}  // namespace

bool IsValidVersion(std::string_view text) {
    if (text.empty() || text.size() > kMaxVersionBytes) {
        return false;
    }
    size_t parts = 0;
    size_t start = 0;
    for (;;) {
        size_t end = text.find('.', start);
        std::string_view part = text.substr(start, end == std::string_view::npos ? end : end - start);
        if (part.empty() || part.size() > kMaxDigits || (part.size() > 1 && part[0] == '0') || ++parts > kMaxParts) {
            return false;
        }
        for (char c : part) {
            if (c < '0' || c > '9') return false;
        }
        if (end == std::string_view::npos) return true;
        start = end + 1;
    }
}

int CompareVersions(std::string_view a, std::string_view b) {
    size_t atA = 0;
    size_t atB = 0;
    while (atA < a.size() || atB < b.size()) {
        uint32_t partA = NextPart(a, atA);
        uint32_t partB = NextPart(b, atB);
        if (partA != partB) return partA < partB ? -1 : 1;
    }
    return 0;
}

}  // namespace chunkstore
