#include "TextHelpers.h"

#include "Platform.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(CodePage, ProcessRunsWithCodePage936) {
    EXPECT_EQ(936u, GetACP());
}

TEST(FormatByteSize, FollowsTheSizeTable) {
    EXPECT_EQ(L"0B", FormatByteSize(0));
    EXPECT_EQ(L"1023B", FormatByteSize(1023));
    EXPECT_EQ(L"1KB", FormatByteSize(1024));
    EXPECT_EQ(L"2KB", FormatByteSize(1600));
    EXPECT_EQ(L"1.0MB", FormatByteSize(1048576));
    EXPECT_EQ(L"1.5MB", FormatByteSize(1572864));
    EXPECT_EQ(L"5.0GB", FormatByteSize(5ull << 30));
    EXPECT_EQ(L"1.0TB", FormatByteSize(1ull << 40));
    EXPECT_EQ(L"1024.0TB", FormatByteSize(1ull << 50));
    EXPECT_EQ(L"16777216.0TB", FormatByteSize(UINT64_MAX));
}

TEST(FormatByteSize, KilobytesRoundToWholeNumbers) {
    EXPECT_EQ(L"1024KB", FormatByteSize(1048575));  // just below 1 MB rounds up in KB
    EXPECT_EQ(L"4.8MB", FormatByteSize(5000000));
}

TEST(SplitByteSize, ReturnsUnitFirstAndNumberSecond) {
    auto parts = SplitByteSize(1572864);
    EXPECT_EQ(L"MB", parts.first);
    EXPECT_EQ(L"1.5", parts.second);
}

TEST(FormatByteSpeed, AppendsPerSecond) {
    EXPECT_EQ(L"0B/s", FormatByteSpeed(0));
    EXPECT_EQ(L"2KB/s", FormatByteSpeed(2048));
    EXPECT_EQ(L"1.5MB/s", FormatByteSpeed(1572864));
}

TEST(AnsiConversions, ChineseTextRoundTripsThroughCodePage936) {
    const std::string gbk = "\xD3\xCE\xCF\xB7";  // "游戏" in GBK
    EXPECT_EQ(L"游戏", AnsiToWide(gbk));
    EXPECT_EQ(gbk, WideToAnsi(L"游戏"));
}

TEST(AnsiConversions, StopAtTheFirstNul) {
    EXPECT_EQ(L"ab", AnsiToWide(std::string("ab\0cd", 5)));
    EXPECT_EQ("ab", WideToAnsi(std::wstring(L"ab\0cd", 5)));
    EXPECT_EQ(L"", AnsiToWide(std::string("\0cd", 3)));
}

TEST(AnsiConversions, EmptyInEmptyOut) {
    EXPECT_EQ(L"", AnsiToWide(""));
    EXPECT_EQ("", WideToAnsi(L""));
}

TEST(AnsiConversions, UnmappableCharactersBecomeTheDefaultCharacter) {
    EXPECT_EQ("?", WideToAnsi(L"\u0E01"));  // Thai has no GBK form
}

TEST(Utf8ToWide, ConvertsAndReplacesMalformedBytes) {
    std::wstring out = L"old";
    const char text[] = "\xE6\xB8\xB8\xE6\x88\x8F";  // 游戏
    Utf8ToWide(text, 6, out);
    EXPECT_EQ(L"游戏", out);
    Utf8ToWide("a\xFF" "b", 3, out);
    EXPECT_EQ(L"a\uFFFDb", out);
}

TEST(Utf8ToWide, KeepsEmbeddedNulsWithinTheGivenLength) {
    std::wstring out;
    Utf8ToWide("a\0b", 3, out);
    EXPECT_EQ(std::wstring(L"a\0b", 3), out);
}

TEST(Utf8ToWide, NullPointerOrZeroLengthEmptiesTheOutput) {
    std::wstring out = L"old";
    Utf8ToWide(nullptr, 5, out);
    EXPECT_TRUE(out.empty());
    out = L"old";
    Utf8ToWide("abc", 0, out);
    EXPECT_TRUE(out.empty());
}

TEST(WideToUtf8, EncodesBeyondTheCodePageAndReplacesLoneSurrogates) {
    EXPECT_EQ("\xE6\xB8\xB8\xED\x95\x9C\xF0\x9F\x8E\xAE", WideToUtf8(L"游\uD55C\U0001F3AE"));
    EXPECT_EQ("a\xEF\xBF\xBD" "b", WideToUtf8(std::wstring(L"a\xD800" L"b")));
    EXPECT_EQ("", WideToUtf8(L""));
}

TEST(FormatWide, WideStringsAndCounts) {
    wchar_t buffer[32] = {};
    EXPECT_EQ(9, FormatWide(buffer, 32, L"%s-%d", L"游戏abc", 123));
    EXPECT_STREQ(L"游戏abc-123", buffer);
}

TEST(FormatWide, NeverWritesPastTheBuffer) {
    wchar_t buffer[8];
    for (wchar_t& c : buffer) c = L'#';
    EXPECT_EQ(-1, FormatWide(buffer, 4, L"%s", L"abcdef"));
    EXPECT_EQ(L'\0', buffer[0]);
    EXPECT_EQ(L'#', buffer[4]);
    // Exactly capacity - 1 units fit.
    EXPECT_EQ(3, FormatWide(buffer, 4, L"%s", L"abc"));
    EXPECT_STREQ(L"abc", buffer);
    EXPECT_EQ(L'#', buffer[4]);
}
