#include "PaintManagerUI.h"
#include "UiDpiScale.h"
#include "UiDrawInfoCache.h"

#include <gtest/gtest.h>

#include <string>

using namespace Orvel;

namespace {

std::wstring ThumbAt(int position) {
    return L"dest='" + std::to_wstring(position) + L",0," + std::to_wstring(position + 12) + L",12'";
}

// A thumb dragged along its track makes a new modify string at every pixel.
TEST(DrawInfoCacheTest, AThumbMovingAlongItsTrackStaysWithinTheBudget) {
    const CUiDpiScale scale;
    CUiDrawInfoCache cache(8192);
    const wchar_t skin[] = L"file='track.png' corner='4,4,4,4'";
    const UiDrawInfo* kept = cache.Lookup(skin, nullptr, scale);
    ASSERT_NE(nullptr, kept);
    const size_t one = cache.Bytes();
    EXPECT_GT(one, sizeof(UiDrawInfo));
    for (int position = 0; position < 2000; ++position) {
        const UiDrawInfo* thumb = cache.Lookup(L"file='thumb.png'", ThumbAt(position).c_str(), scale);
        ASSERT_NE(nullptr, thumb);
        EXPECT_EQ(position, thumb->dest.left);
        // The skin's record is drawn with every frame, so it is never the oldest.
        if (position % 4 == 0) {
            ASSERT_EQ(kept, cache.Lookup(skin, nullptr, scale)) << position;
        }
        ASSERT_LE(cache.Bytes(), 8192u) << position;
    }
    EXPECT_GE(cache.Count(), 8192 / one / 2);
    EXPECT_EQ(std::wstring(L"track.png"), kept->name.Data());

    // A record that gave way is parsed again, and equal pairs still share one.
    const UiDrawInfo* first = cache.Lookup(L"file='thumb.png'", ThumbAt(0).c_str(), scale);
    EXPECT_EQ(0, first->dest.left);
    EXPECT_EQ(first, cache.Lookup(L"file='thumb.png'", ThumbAt(0).c_str(), scale));
    EXPECT_NE(cache.Lookup(L"ab", L"c", scale), cache.Lookup(L"a", L"bc", scale));
    cache.Clear();
    EXPECT_EQ(0u, cache.Bytes());
    EXPECT_EQ(0u, cache.Count());
}

TEST(DrawInfoCacheTest, TheWindowsRecordsFollowItsScaleAndStayWithinTheDefaultBudget) {
    CPaintManagerUI manager;
    manager.DpiScale().SetDpi(144);
    for (int position = 0; position < 5000; ++position) {
        manager.LookupDrawInfo(L"file='thumb.png'", ThumbAt(position).c_str());
    }
    EXPECT_LE(manager.DrawInfos().Bytes(), CUiDrawInfoCache::kDefaultBudgetBytes);
    EXPECT_EQ(18, manager.LookupDrawInfo(L"file='thumb.png'", ThumbAt(0).c_str())->dest.right);
}

}  // namespace
