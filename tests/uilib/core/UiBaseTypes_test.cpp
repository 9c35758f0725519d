#include "UiEventSource.h"
#include "UiPtrArray.h"
#include "UiRect.h"
#include "UiStringPtrMap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

using namespace Orvel;

namespace {

int g_slots[64];

void* Slot(int i) {
    return &g_slots[i];
}

// Keys that share a bucket in a 16-bucket map (hash taken from the last
// unit to the first: h = h * 33 + c).
std::vector<std::wstring> CollidingKeys(int count) {
    std::vector<std::wstring> keys;
    auto hash = [](const std::wstring& key) {
        unsigned int h = 0;
        for (size_t i = key.size(); i > 0; --i) {
            h = h * 33 + key[i - 1];
        }
        return h % 16;
    };
    for (wchar_t a = L'a'; a <= L'z' && static_cast<int>(keys.size()) < count; ++a) {
        for (wchar_t b = L'a'; b <= L'z' && static_cast<int>(keys.size()) < count; ++b) {
            std::wstring key = {a, b};
            if (hash(key) == 3) {
                keys.push_back(key);
            }
        }
    }
    return keys;
}

std::vector<std::wstring> WalkKeys(const CUiStringPtrMap& map) {
    std::vector<std::wstring> keys;
    for (int i = 0; i < map.Count(); ++i) {
        keys.push_back(map.KeyAt(i));
    }
    return keys;
}

}  // namespace

TEST(UiPtrArrayTest, GrowsTo11AndThenDoubles) {
    CUiPtrArray array;
    EXPECT_EQ(0, array.Capacity());
    std::vector<int> capacities;
    for (int i = 0; i < 11; ++i) {
        ASSERT_TRUE(array.Add(Slot(i)));
        capacities.push_back(array.Capacity());
    }
    EXPECT_EQ(11, capacities[0]);
    EXPECT_EQ(11, capacities[9]);
    EXPECT_EQ(22, capacities[10]);
    EXPECT_EQ(11, array.Count());
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(Slot(i), array.GetAt(i));
    }
}

// The storage is sized in bytes: 2^30 pointers do not fit in the 32-bit
// build's address space and must not turn into a tiny block that Add then
// writes past.
TEST(UiPtrArrayTest, ACapacityWhoseBytesDoNotFitAllocatesNothing) {
    CUiPtrArray huge(1 << 30);
    EXPECT_LE(static_cast<uint64_t>(huge.Capacity()) * sizeof(void*), static_cast<uint64_t>(SIZE_MAX));
    for (int i = 0; i < 64; ++i) {
        ASSERT_TRUE(huge.Add(Slot(i)));
    }
    EXPECT_EQ(Slot(63), huge.GetAt(63));
}

TEST(UiPtrArrayTest, InsertRemoveAndRangeChecks) {
    CUiPtrArray array(4);
    EXPECT_EQ(4, array.Capacity());
    EXPECT_TRUE(array.IsEmpty());
    EXPECT_TRUE(array.InsertAt(0, Slot(1)));
    EXPECT_TRUE(array.InsertAt(1, Slot(3)));
    EXPECT_TRUE(array.InsertAt(1, Slot(2)));
    EXPECT_TRUE(array.InsertAt(0, Slot(0)));
    EXPECT_FALSE(array.InsertAt(-1, Slot(9)));
    EXPECT_FALSE(array.InsertAt(5, Slot(9)));
    ASSERT_EQ(4, array.Count());
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Slot(i), array.At(i));
    }
    EXPECT_EQ(2, array.Find(Slot(2)));
    EXPECT_EQ(-1, array.Find(Slot(9)));
    EXPECT_EQ(nullptr, array.GetAt(4));
    EXPECT_EQ(nullptr, array.GetAt(-1));
    EXPECT_FALSE(array.SetAt(4, Slot(9)));
    EXPECT_TRUE(array.SetAt(3, Slot(7)));
    EXPECT_TRUE(array.Remove(1));
    EXPECT_FALSE(array.Remove(3));
    EXPECT_EQ(3, array.Count());
    EXPECT_EQ(Slot(0), array.At(0));
    EXPECT_EQ(Slot(2), array.At(1));
    EXPECT_EQ(Slot(7), array.At(2));

    CUiPtrArray copy(array);
    EXPECT_EQ(3, copy.Count());
    EXPECT_EQ(Slot(7), copy.GetAt(2));

    array.Resize(5);
    EXPECT_EQ(5, array.Count());
    EXPECT_EQ(5, array.Capacity());
    EXPECT_EQ(nullptr, array.GetAt(4));
    EXPECT_TRUE(array.Add(Slot(5)));
    EXPECT_EQ(Slot(5), array.GetAt(5));
    array.Clear();
    EXPECT_EQ(0, array.Count());
    EXPECT_EQ(0, array.Capacity());
    EXPECT_TRUE(array.Add(Slot(1)));
}

TEST(UiStringPtrMapTest, BucketCountHasAFloorOf16) {
    EXPECT_EQ(16, CUiStringPtrMap(0).BucketCount());
    EXPECT_EQ(16, CUiStringPtrMap(5).BucketCount());
    EXPECT_EQ(83, CUiStringPtrMap(83).BucketCount());
}

TEST(UiStringPtrMapTest, InsertKeepsTheFirstValueAndSetReplaces) {
    CUiStringPtrMap map(0);
    EXPECT_TRUE(map.Insert(L"font", Slot(1)));
    EXPECT_FALSE(map.Insert(L"font", Slot(2)));
    EXPECT_EQ(Slot(1), map.Find(L"font"));
    EXPECT_EQ(nullptr, map.Find(L"Font"));
    EXPECT_EQ(Slot(1), map.Set(L"font", Slot(3)));
    EXPECT_EQ(Slot(3), map.Find(L"font"));
    EXPECT_EQ(nullptr, map.Set(L"image", Slot(4)));
    EXPECT_EQ(2, map.Count());
    EXPECT_TRUE(map.Insert(L"", Slot(5)));
    EXPECT_EQ(Slot(5), map.Find(L""));
    EXPECT_FALSE(map.Insert(nullptr, Slot(6)));
    EXPECT_EQ(nullptr, map.Find(nullptr));
    EXPECT_FALSE(map.Remove(L"missing"));
}

TEST(UiStringPtrMapTest, RemovingFromTheMiddleOfAChainKeepsTheRest) {
    std::vector<std::wstring> keys = CollidingKeys(5);
    ASSERT_EQ(5u, keys.size());
    CUiStringPtrMap map(16);
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(map.Insert(keys[i].c_str(), Slot(i)));
    }
    // Newest first: each insert becomes the head of the one shared chain.
    std::vector<std::wstring> walk = WalkKeys(map);
    EXPECT_EQ((std::vector<std::wstring>{keys[4], keys[3], keys[2], keys[1], keys[0]}), walk);

    EXPECT_TRUE(map.Remove(keys[2].c_str()));
    EXPECT_EQ(4, map.Count());
    EXPECT_EQ(nullptr, map.Find(keys[2].c_str(), false));
    EXPECT_EQ((std::vector<std::wstring>{keys[4], keys[3], keys[1], keys[0]}), WalkKeys(map));
    EXPECT_TRUE(map.Remove(keys[0].c_str()));  // the tail
    EXPECT_TRUE(map.Remove(keys[4].c_str()));  // the head
    EXPECT_EQ((std::vector<std::wstring>{keys[3], keys[1]}), WalkKeys(map));
    EXPECT_EQ(Slot(3), map.Find(keys[3].c_str(), false));
    EXPECT_EQ(Slot(1), map.Find(keys[1].c_str(), false));
    EXPECT_EQ(nullptr, map.KeyAt(2));
    EXPECT_EQ(nullptr, map.KeyAt(-1));
}

TEST(UiStringPtrMapTest, LookupsMoveTheFoundItemToTheFront) {
    std::vector<std::wstring> keys = CollidingKeys(3);
    CUiStringPtrMap map(16);
    for (int i = 0; i < 3; ++i) {
        map.Insert(keys[i].c_str(), Slot(i));
    }
    map.Find(keys[0].c_str(), false);
    EXPECT_EQ((std::vector<std::wstring>{keys[2], keys[1], keys[0]}), WalkKeys(map));
    map.Find(keys[0].c_str(), true);
    EXPECT_EQ((std::vector<std::wstring>{keys[0], keys[2], keys[1]}), WalkKeys(map));
    map.Insert(keys[1].c_str(), Slot(9));
    EXPECT_EQ((std::vector<std::wstring>{keys[1], keys[0], keys[2]}), WalkKeys(map));
    EXPECT_EQ(Slot(1), map.Find(keys[1].c_str()));
    // The chain stays intact in both directions after the moves.
    EXPECT_TRUE(map.Remove(keys[0].c_str()));
    EXPECT_EQ((std::vector<std::wstring>{keys[1], keys[2]}), WalkKeys(map));
}

TEST(UiStringPtrMapTest, EnumerationVisitsEveryKeyOnceWhileLooking) {
    CUiStringPtrMap map(16);
    std::set<std::wstring> inserted;
    for (int i = 0; i < 60; ++i) {
        std::wstring key = L"key" + std::to_wstring(i);
        map.Insert(key.c_str(), Slot(i));
        inserted.insert(key);
    }
    std::set<std::wstring> seen;
    for (int i = 0; i < map.Count(); ++i) {
        const wchar_t* key = map.KeyAt(i);
        ASSERT_NE(nullptr, key);
        EXPECT_NE(nullptr, map.Find(key));
        seen.insert(key);
    }
    EXPECT_EQ(inserted, seen);
}

TEST(UiStringPtrMapTest, ResizeAndClearDropEveryItem) {
    CUiStringPtrMap map(16);
    map.Insert(L"a", Slot(1));
    map.Insert(L"b", Slot(2));
    map.Clear();
    EXPECT_EQ(0, map.Count());
    EXPECT_EQ(16, map.BucketCount());
    EXPECT_EQ(nullptr, map.Find(L"a"));
    EXPECT_TRUE(map.Insert(L"a", Slot(3)));
    map.Resize(-4);
    EXPECT_EQ(0, map.BucketCount());
    EXPECT_FALSE(map.Insert(L"a", Slot(3)));
    EXPECT_EQ(nullptr, map.Find(L"a"));
    EXPECT_EQ(nullptr, map.KeyAt(0));
    EXPECT_EQ(nullptr, map.Set(L"a", Slot(3)));
    EXPECT_EQ(0, map.Count());
}

namespace {

class Recorder {
public:
    explicit Recorder(bool result) : result_(result) {}
    bool OnFirst(void* param) {
        calls.push_back(std::wstring(L"first:") + static_cast<const wchar_t*>(param));
        return result_;
    }
    bool OnSecond(void* param) {
        calls.push_back(std::wstring(L"second:") + static_cast<const wchar_t*>(param));
        return true;
    }
    std::vector<std::wstring> calls;

private:
    bool result_;
};

int g_staticCalls = 0;

bool CountCall(void*) {
    ++g_staticCalls;
    return true;
}

bool OtherCall(void*) {
    return true;
}

}  // namespace

TEST(UiEventSourceTest, DelegatesAreEqualByObjectAndFunction) {
    Recorder a(true);
    Recorder b(true);
    EXPECT_TRUE(MakeDelegate(&a, &Recorder::OnFirst) == MakeDelegate(&a, &Recorder::OnFirst));
    EXPECT_FALSE(MakeDelegate(&a, &Recorder::OnFirst) == MakeDelegate(&b, &Recorder::OnFirst));
    EXPECT_FALSE(MakeDelegate(&a, &Recorder::OnFirst) == MakeDelegate(&a, &Recorder::OnSecond));
    EXPECT_TRUE(MakeDelegate(&CountCall) == MakeDelegate(&CountCall));
    EXPECT_FALSE(MakeDelegate(&CountCall) == MakeDelegate(&OtherCall));
    EXPECT_FALSE(MakeDelegate(&CountCall) == MakeDelegate(&a, &Recorder::OnFirst));
}

TEST(UiEventSourceTest, RegistersOnceAndCallsInOrder) {
    Recorder a(true);
    CUiEventSource source;
    EXPECT_TRUE(source.IsEmpty());
    source.Add(MakeDelegate(&a, &Recorder::OnSecond));
    source.Add(MakeDelegate(&a, &Recorder::OnFirst));
    source.Add(MakeDelegate(&a, &Recorder::OnSecond));
    source += MakeDelegate(&CountCall);
    source += MakeDelegate(&CountCall);
    EXPECT_EQ(3, source.Count());
    g_staticCalls = 0;
    wchar_t param[] = L"x";
    EXPECT_TRUE(source.Invoke(param));
    EXPECT_EQ((std::vector<std::wstring>{L"second:x", L"first:x"}), a.calls);
    EXPECT_EQ(1, g_staticCalls);
    source -= MakeDelegate(&a, &Recorder::OnSecond);
    EXPECT_EQ(2, source.Count());
}

TEST(UiEventSourceTest, FalseStopsTheWalk) {
    Recorder stopper(false);
    Recorder after(true);
    CUiEventSource source;
    source.Add(MakeDelegate(&stopper, &Recorder::OnFirst));
    source.Add(MakeDelegate(&after, &Recorder::OnFirst));
    wchar_t param[] = L"y";
    EXPECT_FALSE(source.Invoke(param));
    EXPECT_EQ(1u, stopper.calls.size());
    EXPECT_TRUE(after.calls.empty());
}

TEST(UiRectTest, GeometryOperations) {
    CUiRect rect(10, 20, 110, 70);
    EXPECT_EQ(100, rect.Width());
    EXPECT_EQ(50, rect.Height());
    EXPECT_FALSE(rect.IsEmpty());
    rect.Union(CUiRect(0, 30, 50, 90));
    EXPECT_EQ(CUiRect(0, 20, 110, 90), rect);
    rect.Offset(5, -5);
    EXPECT_EQ(CUiRect(5, 15, 115, 85), rect);
    rect.Deflate(5, 10);
    EXPECT_EQ(CUiRect(10, 25, 110, 75), rect);
    rect.MoveToOrigin();
    EXPECT_EQ(CUiRect(0, 0, 100, 50), rect);
    EXPECT_TRUE(rect.Intersect(CUiRect(50, 40, 200, 200)));
    EXPECT_EQ(CUiRect(50, 40, 100, 50), rect);
    EXPECT_FALSE(rect.Intersect(CUiRect(500, 500, 600, 600)));
    EXPECT_TRUE(rect.IsEmpty());
    CUiRect flat(5, 5, 5, 9);
    EXPECT_TRUE(flat.IsEmpty());
    flat.Empty();
    EXPECT_EQ(CUiRect(0, 0, 0, 0), flat);
    RECT* asWin32 = &flat;
    EXPECT_EQ(0, asWin32->right);
    static_assert(sizeof(CUiRect) == sizeof(RECT), "RECT layout");
    static_assert(sizeof(CUiSize) == sizeof(SIZE), "SIZE layout");
    EXPECT_TRUE(CUiSize(3, 4) == CUiSize(3, 4));
}
