#pragma once
#include "UiPlatform.h"

#include <vector>

namespace Orvel {

// Parts of one image already scaled to the sizes they were drawn at, so
// that later frames copy them instead of stretching them again. Owned by the
// image record; emptied whenever the image's pixels change.
class CUiScaledCellCache {
public:
    // A window being resized draws at ever new sizes; older cells give way.
    static constexpr size_t kMaxCells = 16;

    CUiScaledCellCache() = default;
    ~CUiScaledCellCache() { Clear(); }
    CUiScaledCellCache(const CUiScaledCellCache&) = delete;
    CUiScaledCellCache& operator=(const CUiScaledCellCache&) = delete;

    // The cell's bitmap (owned by the cache), or null when not cached.
    HBITMAP Find(const RECT& source, int width, int height, bool blended) const;
    // Takes ownership of `bitmap`, a 32-bit DIB section of width x height.
    void Add(const RECT& source, int width, int height, bool blended, HBITMAP bitmap);
    void Clear();
    size_t Count() const { return cells_.size(); }

private:
    struct Cell {
        RECT source;
        int width;
        int height;
        bool blended;
        HBITMAP bitmap;  // owned
    };

    std::vector<Cell> cells_;
};

}  // namespace Orvel
