#include "Sha256.h"

#include "TestEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

namespace {

std::string DigestOf(const std::string& bytes) {
    Sha256 sha;
    std::string hex;
    EXPECT_TRUE(sha.Ok());
    EXPECT_TRUE(sha.Update(bytes.data(), bytes.size()));
    EXPECT_TRUE(sha.Finish(hex));
    return hex;
}

// Published test vectors (FIPS 180-2 and the empty message).
const struct {
    std::string message;
    const char* digest;
} kVectors[] = {
    {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
};

}  // namespace

TEST(Sha256, KnownVectorsFromMemoryAndFromFiles) {
    std::wstring folder = testenv::MakeTempSubdir(L"sha256");
    int index = 0;
    for (const auto& vector : kVectors) {
        SCOPED_TRACE(vector.digest);
        EXPECT_EQ(vector.digest, DigestOf(vector.message));
        std::wstring path = folder + L"\\v" + std::to_wstring(index++) + L".bin";
        ASSERT_TRUE(testenv::WriteFileBytes(path, vector.message));
        std::string hex;
        EXPECT_TRUE(Sha256OfFile(path, hex));
        EXPECT_EQ(vector.digest, hex);
    }
}

// Files beyond the one-megabyte read block, fed in pieces that straddle it.
TEST(Sha256, PiecesAndLargeFilesGiveTheDigestOfTheWhole) {
    std::string bytes;
    for (int i = 0; i < 3 * 1024 * 1024 + 17; ++i) bytes += static_cast<char>(i * 7 + i / 251);
    std::string whole = DigestOf(bytes);
    Sha256 sha;
    for (size_t at = 0; at < bytes.size(); at += 65537) {
        ASSERT_TRUE(sha.Update(bytes.data() + at, std::min<size_t>(65537, bytes.size() - at)));
    }
    std::string pieces;
    ASSERT_TRUE(sha.Finish(pieces));
    EXPECT_EQ(whole, pieces);
    EXPECT_FALSE(sha.Finish(pieces)) << "a finished hash is spent";

    std::wstring path = testenv::MakeTempSubdir(L"sha256-large") + L"\\large.bin";
    ASSERT_TRUE(testenv::WriteFileBytes(path, bytes));
    std::string fromFile;
    EXPECT_TRUE(Sha256OfFile(path, fromFile));
    EXPECT_EQ(whole, fromFile);
    EXPECT_FALSE(Sha256OfFile(path + L".missing", fromFile));
}

TEST(Sha256, TextIsHashedAsItsUtf16Bytes) {
    std::string hex;
    ASSERT_TRUE(Sha256OfText(L"abc", hex));
    EXPECT_EQ(DigestOf(std::string("a\0b\0c\0", 6)), hex);
}

TEST(Sha256, ParseAcceptsExactly64HexDigitsOfEitherCase) {
    const std::string lower = kVectors[1].digest;
    std::string mixed = lower;
    for (size_t i = 0; i < mixed.size(); i += 2) mixed[i] = static_cast<char>(toupper(mixed[i]));
    const struct {
        std::string text;
        bool valid;
    } cases[] = {
        {lower, true}, {mixed, true}, {lower.substr(1), false}, {lower + "a", false},
        {lower.substr(1) + "x", false}, {lower.substr(1) + " ", false}, {"", false},
        {lower.substr(0, 63) + std::string(1, '\0'), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string hex = "unchanged";
        EXPECT_EQ(c.valid, ParseSha256Hex(c.text, hex));
        EXPECT_EQ(c.valid ? lower : "unchanged", hex);
    }
}
