#include "Sha256.h"

#include "Platform.h"
#include "ScopedHandle.h"

#include <bcrypt.h>

#include <memory>
#include <new>

#ifndef NT_SUCCESS
#define NT_SUCCESS(status) (static_cast<NTSTATUS>(status) >= 0)
#endif

namespace {

constexpr DWORD kFileBlockBytes = 1 << 20;
const char kDigitText[] = "0123456789abcdef";

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

// The hash object lives in memory CNG allocates itself (Windows 7 accepts a
// null object buffer for hashes).
Sha256::Sha256() {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!NT_SUCCESS(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
        return;
    }
    algorithm_ = algorithm;
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (NT_SUCCESS(BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0))) {
        hash_ = hash;
    }
}

Sha256::~Sha256() {
    if (hash_ != nullptr) {
        BCryptDestroyHash(static_cast<BCRYPT_HASH_HANDLE>(hash_));
    }
    if (algorithm_ != nullptr) {
        BCryptCloseAlgorithmProvider(static_cast<BCRYPT_ALG_HANDLE>(algorithm_), 0);
    }
}

bool Sha256::Update(const void* data, size_t size) {
    if (hash_ == nullptr) {
        return false;
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        ULONG part = size > kFileBlockBytes ? kFileBlockBytes : static_cast<ULONG>(size);
        if (!NT_SUCCESS(BCryptHashData(static_cast<BCRYPT_HASH_HANDLE>(hash_), const_cast<PUCHAR>(bytes), part, 0))) {
            return false;
        }
        bytes += part;
        size -= part;
    }
    return true;
}

bool Sha256::Finish(std::string& hex) {
    unsigned char digest[kDigestBytes] = {};
    if (hash_ == nullptr ||
        !NT_SUCCESS(BCryptFinishHash(static_cast<BCRYPT_HASH_HANDLE>(hash_), digest, sizeof(digest), 0))) {
        return false;
    }
    BCryptDestroyHash(static_cast<BCRYPT_HASH_HANDLE>(hash_));
    hash_ = nullptr;
    hex.clear();
    for (unsigned char byte : digest) {
        hex += kDigitText[byte >> 4];
        hex += kDigitText[byte & 0x0F];
    }
    return true;
}

bool Sha256OfFile(const std::wstring& path, std::string& hex) {
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.Valid()) {
        return false;
    }
    std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[kFileBlockBytes]);
    Sha256 sha;
    if (!block || !sha.Ok()) {
        return false;
    }
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.Get(), block.get(), kFileBlockBytes, &read, nullptr)) {
            return false;
        }
        if (read == 0) {
            return sha.Finish(hex);
        }
        if (!sha.Update(block.get(), read)) {
            return false;
        }
    }
}

bool Sha256OfText(const std::wstring& text, std::string& hex) {
    Sha256 sha;
    return sha.Update(text.data(), text.size() * sizeof(wchar_t)) && sha.Finish(hex);
}

bool ParseSha256Hex(const std::string& text, std::string& hex) {
    if (text.size() != Sha256::kHexDigits) {
        return false;
    }
    std::string lower;
    for (char c : text) {
        int value = HexValue(c);
        if (value < 0) {
            return false;
        }
        lower += kDigitText[value];
    }
    hex = lower;
    return true;
}
