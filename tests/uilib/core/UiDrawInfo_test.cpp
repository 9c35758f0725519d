#include "UiDpiScale.h"
#include "UiDrawInfo.h"

#include <gtest/gtest.h>

#include <string>

using namespace Orvel;

namespace {

struct Parsed {
    std::wstring name;
    std::wstring type;
    RECT dest;
    RECT source;
    RECT corners;
    DWORD mask;
    int fade;
    bool hole, xTiled, yTiled;
};

Parsed Parse(const wchar_t* image, const wchar_t* modify, int dpi = 96) {
    CUiDpiScale scale;
    scale.SetDpi(dpi);
    UiDrawInfo info;
    info.Parse(image, modify, scale);
    return Parsed{info.name.Data(), info.resourceType.Data(), info.dest, info.source, info.corners, info.mask,
                  info.fade, info.hole, info.xTiled, info.yTiled};
}

bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(UiDrawInfoTest, ImageStringGrammar) {
    const RECT none = {0, 0, 0, 0};
    const struct {
        const wchar_t* image;
        const wchar_t* modify;
        Parsed expected;
    } cases[] = {
        // A string without a well-formed pair is the name itself.
        {L"images\\bk.png", nullptr, {L"images\\bk.png", L"", none, none, none, 0, 255, false, false, false}},
        {L"file='a.png", nullptr, {L"file='a.png", L"", none, none, none, 0, 255, false, false, false}},
        {L"file='a.png' corner='4,4,4,4' hole='TRUE' mask='#FFFF00FF' fade='128' source='1,2,3,4'",
         nullptr,
         {L"a.png", L"", none, {1, 2, 3, 4}, {4, 4, 4, 4}, 0xFFFF00FF, 128, true, false, false}},
        {L"res='122' restype='png' xtiled='true' ytiled='yes'", nullptr,
         {L"122", L"png", none, none, none, 0, 255, false, true, false}},
        // White space around "=" and before keys; keys are case-sensitive.
        {L"  file = 'b.png'  FILE='c.png'", nullptr, {L"b.png", L"", none, none, none, 0, 255, false, false, false}},
        // A missing closing quote ends parsing; earlier pairs stay.
        {L"file='a.png' fade='128' source='1,2", nullptr, {L"a.png", L"", none, none, none, 0, 128, false, false, false}},
        // Only a space may follow a closing quote.
        {L"file='a.png',fade='128'", nullptr, {L"a.png", L"", none, none, none, 0, 255, false, false, false}},
        // Empty values are skipped; garbage numbers read as far as valid.
        {L"file='a.png' fade='' dest='x,2,y'", nullptr, {L"a.png", L"", {0, 0, 2, 0}, none, none, 0, 255, false, false, false}},
        {L"file='a.png' fade='999'", nullptr, {L"a.png", L"", none, none, none, 0, 255, false, false, false}},
        // The modify string wins.
        {L"file='a.png' source='0,0,10,10'", L"source='0,0,20,20' dest='1,1,5,5'",
         {L"a.png", L"", {1, 1, 5, 5}, {0, 0, 20, 20}, none, 0, 255, false, false, false}},
        {L"file='a.png'", L"b.png", {L"b.png", L"", none, none, none, 0, 255, false, false, false}},
    };
    for (const auto& item : cases) {
        Parsed parsed = Parse(item.image, item.modify);
        const Parsed& expected = item.expected;
        const std::wstring label = std::wstring(item.image) + L" | " + (item.modify ? item.modify : L"");
        EXPECT_EQ(expected.name, parsed.name) << testing::PrintToString(label);
        EXPECT_EQ(expected.type, parsed.type) << testing::PrintToString(label);
        EXPECT_TRUE(expected.dest == parsed.dest) << testing::PrintToString(label);
        EXPECT_TRUE(expected.source == parsed.source) << testing::PrintToString(label);
        EXPECT_TRUE(expected.corners == parsed.corners) << testing::PrintToString(label);
        EXPECT_EQ(expected.mask, parsed.mask) << testing::PrintToString(label);
        EXPECT_EQ(expected.fade, parsed.fade) << testing::PrintToString(label);
        EXPECT_EQ(expected.hole, parsed.hole) << testing::PrintToString(label);
        EXPECT_EQ(expected.xTiled, parsed.xTiled) << testing::PrintToString(label);
        EXPECT_EQ(expected.yTiled, parsed.yTiled) << testing::PrintToString(label);
    }
}

TEST(UiDrawInfoTest, OnlyTheDestRectangleIsScaled) {
    Parsed parsed = Parse(L"file='a' dest='2,4,12,24' source='2,4,12,24' corner='2,4,12,24'", nullptr, 144);
    EXPECT_TRUE((RECT{3, 6, 18, 36}) == parsed.dest);
    EXPECT_TRUE((RECT{2, 4, 12, 24}) == parsed.source);
    EXPECT_TRUE((RECT{2, 4, 12, 24}) == parsed.corners);
}

TEST(UiDrawInfoTest, PairReaderStopsWhereTheMalformedPairBegins) {
    UiImagePairReader reader(L"file='a.png' restype='png' 3 1");
    CUiString key;
    CUiString value;
    ASSERT_TRUE(reader.Next(key, value));
    EXPECT_EQ(std::wstring(L"file"), key.Data());
    ASSERT_TRUE(reader.Next(key, value));
    EXPECT_EQ(std::wstring(L"png"), value.Data());
    EXPECT_FALSE(reader.Next(key, value));
    EXPECT_FALSE(reader.Next(key, value));
    EXPECT_EQ(std::wstring(L"3 1"), reader.Position());
}

}  // namespace
