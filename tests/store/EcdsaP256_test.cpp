#include "EcdsaP256.h"

#include "Base64.h"
#include "TestKeys.h"

#include <gtest/gtest.h>

#include <string>

using chunkstore::Base64Decode;
using chunkstore::Base64Encode;

namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int value : values) bytes += static_cast<char>(value);
    return bytes;
}

}  // namespace

TEST(Base64, StrictStandardAlphabetWithExactPadding) {
    const struct {
        const char* text;
        const char* bytes;
    } kValid[] = {{"", ""}, {"Zg==", "f"}, {"Zm8=", "fo"}, {"Zm9v", "foo"}, {"Zm9vYmFy", "foobar"}, {"+/+/", "\xfb\xff\xbf"}};
    for (const auto& c : kValid) {
        std::string decoded;
        EXPECT_TRUE(Base64Decode(c.text, decoded)) << c.text;
        EXPECT_EQ(c.bytes, decoded);
        EXPECT_EQ(c.text, Base64Encode(c.bytes));
    }
    for (const char* invalid : {"Zg", "Zg=", "Zg===", "Z===", "Zm9v\n", "Zm 9v", "Zh==", "Zm9=", "Zg==Zg==", "-_-_", "=Zg="}) {
        std::string decoded;
        EXPECT_FALSE(Base64Decode(invalid, decoded)) << invalid;
    }
}

TEST(EcdsaP256, SignaturesConvertBetweenDerAndRawExactly) {
    for (const char* base64 : testkeys::kPayloadSignatures) {
        std::string der = testkeys::DerOf(base64);
        chunkstore::P256Signature signature;
        ASSERT_TRUE(chunkstore::ParseP256SignatureDer(der, signature)) << base64;
        EXPECT_EQ(der, chunkstore::P256SignatureDer(signature));
    }
    // The short r lands right-aligned behind a zero byte.
    chunkstore::P256Signature shortR;
    ASSERT_TRUE(chunkstore::ParseP256SignatureDer(testkeys::DerOf(testkeys::kPayloadSignatures[2]), shortR));
    EXPECT_EQ(0, shortR.rs[0]);
    EXPECT_EQ(0x47, shortR.rs[1]);
}

TEST(EcdsaP256, MalformedDerSignaturesAreRefused) {
    const std::string r32(32, '\x11');
    auto seq = [](const std::string& body) { return Bytes({0x30, static_cast<int>(body.size())}) + body; };
    auto integer = [](const std::string& value) { return Bytes({0x02, static_cast<int>(value.size())}) + value; };
    const std::string good = seq(integer(r32) + integer(r32));
    chunkstore::P256Signature parsed;
    ASSERT_TRUE(chunkstore::ParseP256SignatureDer(good, parsed));
    const struct {
        const char* name;
        std::string der;
    } kCases[] = {
        {"empty", ""},
        {"wrong outer tag", Bytes({0x31}) + good.substr(1)},
        {"outer length too long", Bytes({0x30, 0x45}) + good.substr(2)},
        {"outer long form", Bytes({0x30, 0x81, 0x44}) + good.substr(2)},
        {"bytes after", seq(integer(r32) + integer(r32) + "x")},
        {"one integer", seq(integer(r32))},
        {"negative r", seq(integer(std::string(32, '\x91')) + integer(r32))},
        {"needless leading zero", seq(integer('\0' + r32) + integer(r32))},
        {"zero s", seq(integer(r32) + integer(std::string(1, '\0')))},
        {"empty integer", seq(integer("") + integer(r32))},
        {"33-byte value", seq(integer('\x01' + r32) + integer(r32))},
        {"wrong integer tag", seq(Bytes({0x04, 32}) + r32 + integer(r32))},
    };
    for (const auto& c : kCases) {
        EXPECT_FALSE(chunkstore::ParseP256SignatureDer(c.der, parsed)) << c.name;
    }
}

TEST(EcdsaP256, OnlyUncompressedP256KeysInOpenSslsDerShape) {
    std::string der = testkeys::DerOf(testkeys::kPublicKey);
    chunkstore::P256PublicKey key;
    ASSERT_TRUE(chunkstore::ParseP256PublicKeyDer(der, key));
    EXPECT_EQ(der, chunkstore::P256PublicKeyDer(key));
    EXPECT_EQ(0x04, key.point[0]);

    std::string otherCurve = der;
    otherCurve[21] = 0x22;  // secp384r1's last OID byte in place of prime256v1's
    std::string compressed = der.substr(0, 26) + Bytes({0x03}) + der.substr(27, 32);
    for (const std::string& bad : {std::string(), der.substr(0, 90), der + "x", otherCurve, compressed}) {
        EXPECT_FALSE(chunkstore::ParseP256PublicKeyDer(bad, key)) << Base64Encode(bad);
    }
}
