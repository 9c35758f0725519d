#include "UiImageInfo.h"
#include "UiRender.h"
#include "UiScaledCellCache.h"

#include <gtest/gtest.h>

#include <memory>

using namespace Orvel;

namespace {

constexpr size_t kBudget = 10000;
constexpr RECT kSource = {0, 0, 8, 8};

class ScaledCellCacheTest : public ::testing::Test {
protected:
    // As the renderer does: found, or scaled now and added. True when found.
    bool Draw(const UiImageInfo& image, int width, int height, POINT at) {
        const UiScaledCell cell = {kSource, width, height, true};
        if (cache.Find(image, cell) != nullptr) {
            return true;
        }
        if (cache.Admits(width, height)) {
            EXPECT_TRUE(cache.Add(image, cell, at, CUiRender::CreateArgbBitmap(nullptr, width, -height, nullptr)));
        }
        return false;
    }

    CUiScaledCellCache cache{kBudget};
    UiImageInfo images[2];
};

TEST_F(ScaledCellCacheTest, HoldsAtMostItsBudgetAndDropsSizesNoLongerDrawnWhereTheyWere) {
    struct Step {
        const char* what;
        int image;
        bool renewPixels;  // the image's pixels change before it is drawn
        int width;
        int height;
        POINT at;
        bool found;
        size_t bytes;
        size_t count;
    };
    const Step steps[] = {
        {"a first cell", 0, false, 20, 20, {0, 0}, false, 1600, 1},
        {"the same size elsewhere is the same cell", 0, false, 20, 20, {50, 0}, true, 1600, 1},
        {"a new size where the first was drawn replaces it", 0, false, 30, 20, {0, 0}, false, 2400, 1},
        {"another image's cell is its own", 1, false, 30, 20, {0, 0}, false, 4800, 2},
        {"changed pixels are never drawn from old cells, which go", 1, true, 30, 20, {0, 40}, false, 4800, 2},
        {"the new cell is found", 1, false, 30, 20, {0, 40}, true, 4800, 2},
        {"past the budget the least recently drawn goes", 0, false, 40, 40, {100, 0}, false, 8800, 2},
        {"so that one is scaled again, pushing out the next", 0, false, 30, 20, {0, 0}, false, 8800, 2},
        {"a cell larger than the whole budget is never kept", 0, false, 60, 60, {0, 60}, false, 8800, 2},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        if (step.renewPixels) {
            images[step.image].pixelsId = std::make_shared<const char>();
        }
        EXPECT_EQ(step.found, Draw(images[step.image], step.width, step.height, step.at));
        EXPECT_EQ(step.bytes, cache.Bytes());
        EXPECT_EQ(step.count, cache.Count());
        EXPECT_LE(cache.Bytes(), kBudget);
    }
    cache.Clear();
    EXPECT_EQ(0u, cache.Bytes());
    EXPECT_EQ(0u, cache.Count());
}

}  // namespace
