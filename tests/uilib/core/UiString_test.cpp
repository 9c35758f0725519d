#include "UiString.h"

#include <gtest/gtest.h>

#include <string>

using Orvel::CUiString;

namespace {

bool IsInline(const CUiString& text) {
    auto at = reinterpret_cast<const char*>(text.Data());
    auto begin = reinterpret_cast<const char*>(&text);
    return at >= begin && at < begin + sizeof(CUiString);
}

std::wstring Repeat(wchar_t ch, int count) {
    std::wstring text;
    for (int i = 0; i < count; ++i) {
        text += static_cast<wchar_t>(ch + i % 20);
    }
    return text;
}

}  // namespace

TEST(UiStringTest, InlineUpTo62CharactersHeapFrom63) {
    for (int length : {0, 1, 61, 62, 63, 64, 200}) {
        std::wstring source = Repeat(L'a', length);
        CUiString text(source.c_str());
        EXPECT_EQ(length <= 62, IsInline(text)) << length;
        EXPECT_EQ(length, text.Length());
        EXPECT_EQ(source, text.Data());
        CUiString copy(text);
        EXPECT_EQ(source, copy.Data());
        EXPECT_NE(text.Data(), copy.Data());
    }
}

TEST(UiStringTest, AppendMovesAcrossTheBoundaryAndBack) {
    std::wstring source = Repeat(L'a', 62);
    CUiString text(source.c_str());
    ASSERT_TRUE(IsInline(text));
    text.Append(L'!');
    EXPECT_FALSE(IsInline(text));
    EXPECT_EQ(source + L"!", text.Data());
    text.Append(L"tail");
    EXPECT_EQ(source + L"!tail", text.Data());
    text = L"ten chars!";
    EXPECT_TRUE(IsInline(text));
    EXPECT_STREQ(L"ten chars!", text.Data());

    CUiString half(Repeat(L'k', 40).c_str());
    half += CUiString(Repeat(L'm', 40).c_str());
    EXPECT_FALSE(IsInline(half));
    EXPECT_EQ(Repeat(L'k', 40) + Repeat(L'm', 40), half.Data());
    half.Append(static_cast<const wchar_t*>(nullptr));
    EXPECT_EQ(80, half.Length());
}

TEST(UiStringTest, AssignCopiesExactlyTheGivenLength) {
    CUiString text;
    EXPECT_EQ(3, text.Assign(L"abcdef", 3));
    EXPECT_STREQ(L"abc", text.Data());
    EXPECT_EQ(6, text.Assign(L"abcdef", -1));
    EXPECT_EQ(0, text.Assign(nullptr, 5));
    EXPECT_TRUE(text.IsEmpty());
    std::wstring longText = Repeat(L'a', 100);
    text.Assign(longText.c_str(), 70);
    EXPECT_EQ(longText.substr(0, 70), text.Data());
    // A heap block that already holds a longer text is reused.
    const wchar_t* block = text.Data();
    text.Assign(longText.c_str(), 65);
    EXPECT_EQ(block, text.Data());
    EXPECT_EQ(65, text.Length());
    text = static_cast<const wchar_t*>(nullptr);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_TRUE(IsInline(text));
}

TEST(UiStringTest, SelfAssignmentAndSelfAppendKeepTheText) {
    for (int length : {10, 62, 63, 100}) {
        std::wstring source = Repeat(L'a', length);
        CUiString text(source.c_str());
        CUiString& alias = text;
        text = alias;
        EXPECT_EQ(source, text.Data());
        text = text.Data();
        EXPECT_EQ(source, text.Data());
        text.Assign(text.Data() + 2);
        EXPECT_EQ(source.substr(2), text.Data());
        text.Append(text.Data());
        EXPECT_EQ(source.substr(2) + source.substr(2), text.Data());
        text += text;
        EXPECT_EQ(4 * (length - 2), text.Length());
    }
}

TEST(UiStringTest, ClearFreesBackToInline) {
    CUiString text(Repeat(L'a', 80).c_str());
    text.Clear();
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_TRUE(IsInline(text));
    EXPECT_EQ(0, text.Length());
    text = L'x';
    EXPECT_STREQ(L"x", text.Data());
    EXPECT_EQ(L'x', CUiString(L'x').CharAt(0));
}

TEST(UiStringTest, LeftAndMidClampTheirRanges) {
    CUiString text(L"abcdefgh");
    EXPECT_STREQ(L"fgh", text.Mid(5, -1).Data());
    EXPECT_STREQ(L"h", text.Mid(7, 5).Data());
    EXPECT_STREQ(L"", text.Mid(8, 2).Data());
    EXPECT_STREQ(L"", text.Mid(20, 2).Data());
    EXPECT_STREQ(L"", text.Mid(3, 0).Data());
    EXPECT_STREQ(L"cd", text.Mid(2, 2).Data());
    EXPECT_STREQ(L"", text.Left(-3).Data());
    EXPECT_STREQ(L"abc", text.Left(3).Data());
    EXPECT_STREQ(L"abcdefgh", text.Left(100).Data());
}

TEST(UiStringTest, FindHonoursItsStartRules) {
    CUiString text(L"abcabc");
    EXPECT_EQ(1, text.Find(L"bc"));
    EXPECT_EQ(4, text.Find(L"bc", 2));
    EXPECT_EQ(-1, text.Find(L"bc", 6));
    EXPECT_EQ(-1, text.Find(L"bc", 7));
    EXPECT_EQ(-1, text.Find(L"bc", -1));
    EXPECT_EQ(-1, text.Find(L"x"));
    EXPECT_EQ(2, text.Find(L'c'));
    EXPECT_EQ(5, text.Find(L'c', 3));
    EXPECT_EQ(5, text.Find(L'c', 5));
    EXPECT_EQ(-1, text.Find(L'c', 6));
    EXPECT_EQ(-1, text.Find(L'\0'));
    EXPECT_EQ(-1, CUiString().Find(L'a'));
}

TEST(UiStringTest, ReplaceResumesAfterTheInsertedText) {
    CUiString text(L"aXa");
    EXPECT_EQ(2, text.Replace(L"a", L"aa"));
    EXPECT_STREQ(L"aaXaa", text.Data());
    EXPECT_EQ(0, text.Replace(L"q", L"r"));
    EXPECT_EQ(0, text.Replace(L"", L"r"));
    EXPECT_STREQ(L"aaXaa", text.Data());
    EXPECT_EQ(4, text.Replace(L"a", nullptr));
    EXPECT_STREQ(L"X", text.Data());
    CUiString wide(Repeat(L'a', 60).c_str());
    EXPECT_EQ(3, wide.Replace(L"a", L"<<<"));
    EXPECT_EQ(66, wide.Length());
}

TEST(UiStringTest, ComparisonsAreOrdinal) {
    CUiString text(L"Button");
    EXPECT_EQ(0, text.Compare(L"Button"));
    EXPECT_GT(text.Compare(L"BUTTON"), 0);
    EXPECT_LT(text.Compare(L"Buttons"), 0);
    EXPECT_GT(text.Compare(nullptr), 0);
    EXPECT_EQ(0, text.CompareNoCase(L"bUTTON"));
    EXPECT_TRUE(text == L"Button");
    EXPECT_TRUE(text != L"button");
    EXPECT_TRUE(text < L"C");
    EXPECT_TRUE(CUiString(L"A") < CUiString(L"B"));
    text.ToLower();
    EXPECT_STREQ(L"button", text.Data());
}

TEST(UiStringTest, ConcatenationBuildsNewStrings) {
    CUiString left(L"ab");
    CUiString joined = left + CUiString(L"cd") + L"ef";
    EXPECT_STREQ(L"abcdef", joined.Data());
    EXPECT_STREQ(L"ab", left.Data());
    EXPECT_STREQ(L"ab", (left + static_cast<const wchar_t*>(nullptr)).Data());
}

TEST(UiStringTest, FormatHasNoLengthLimitButFormatShortHas) {
    CUiString text;
    std::wstring big = Repeat(L'a', 500);
    EXPECT_EQ(506, text.Format(L"%s-%d", big.c_str(), 12345));
    EXPECT_EQ(big + L"-12345", text.Data());
    EXPECT_EQ(14, text.FormatShort(L"dest='%d,%d,%d,%d'", 1, 2, 3, 4));
    EXPECT_STREQ(L"dest='1,2,3,4'", text.Data());
    text.FormatShort(L"%s", big.c_str());
    EXPECT_EQ(63, text.Length());
    EXPECT_EQ(big.substr(0, 63), text.Data());
    EXPECT_EQ(-1, text.Format(nullptr));
}
