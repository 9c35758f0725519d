#pragma once
#include <cstddef>
#include <string>

// SHA-256 through the platform's CNG provider, and the digest's text form:
// 64 lower-case hexadecimal digits.
class Sha256 {
public:
    static constexpr size_t kDigestBytes = 32;
    static constexpr size_t kHexDigits = 2 * kDigestBytes;

    // Opens the provider and a hash object; Ok() tells whether that worked.
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    bool Ok() const { return hash_ != nullptr; }
    bool Update(const void* data, size_t size);
    // The digest of everything passed to Update; the object is spent after it.
    bool Finish(std::string& hex);

private:
    void* algorithm_ = nullptr;  // owned BCRYPT_ALG_HANDLE
    void* hash_ = nullptr;       // owned BCRYPT_HASH_HANDLE
};

// The digest of the file's bytes; false when it cannot be read or hashed.
bool Sha256OfFile(const std::wstring& path, std::string& hex);
// The digest of the bytes of `text`.
bool Sha256OfText(const std::wstring& text, std::string& hex);
// True when `text` is exactly 64 hexadecimal digits of either case; `hex`
// then holds them in lower case.
bool ParseSha256Hex(const std::string& text, std::string& hex);
