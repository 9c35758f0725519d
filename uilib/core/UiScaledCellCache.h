#pragma once
#include "UiPlatform.h"

#include <cstddef>
#include <list>
#include <memory>

namespace Orvel {

struct UiImageInfo;

// One part of an image at the size it is drawn at.
struct UiScaledCell {
    RECT source;
    int width;
    int height;
    bool blended;  // scaled with its alpha (drawn blended) or opaque
};

// Parts of images already scaled to the sizes they were drawn at, so that
// later frames copy them instead of stretching them again. One per window,
// owned by its paint manager. Bounded in bytes of pixels: the least recently
// drawn cells give way first, and a part drawn at a new size where it was
// drawn at another one replaces that cell (a resized control never draws
// the old size again). Cells of an image whose pixels changed or that was
// released are never found again and go with the next addition.
class CUiScaledCellCache {
public:
    // A window-sized background at 150 % and the skin's smaller parts fit.
    static constexpr size_t kDefaultBudgetBytes = 4u << 20;

    explicit CUiScaledCellCache(size_t budgetBytes = kDefaultBudgetBytes) : budget_(budgetBytes) {}
    ~CUiScaledCellCache() { Clear(); }
    CUiScaledCellCache(const CUiScaledCellCache&) = delete;
    CUiScaledCellCache& operator=(const CUiScaledCellCache&) = delete;

    // The cell's bitmap (owned by the cache), or null when not cached.
    HBITMAP Find(const UiImageInfo& image, const UiScaledCell& cell);
    // Whether a cell of that size can be kept at all.
    bool Admits(int width, int height) const;
    // Takes ownership of `bitmap`, a 32-bit DIB section of the cell's size
    // drawn with its top-left corner at `at`; false (the bitmap deleted)
    // when the cell is too large to keep.
    bool Add(const UiImageInfo& image, const UiScaledCell& cell, POINT at, HBITMAP bitmap);
    void Clear();
    size_t Count() const { return entries_.size(); }
    // Pixel bytes of the bitmaps held.
    size_t Bytes() const { return bytes_; }
    size_t Budget() const { return budget_; }

private:
    struct Entry {
        const UiImageInfo* image;         // not owned; compared only
        std::weak_ptr<const char> pixels;  // expires when the image's pixels do
        UiScaledCell cell;
        POINT at;
        HBITMAP bitmap;  // owned
        size_t bytes;
    };
    using Entries = std::list<Entry>;

    static size_t CellBytes(int width, int height);
    static bool IsCurrent(const Entry& entry, const UiImageInfo& image);
    Entries::iterator Erase(Entries::iterator entry);

    Entries entries_;  // least recently drawn first
    size_t bytes_ = 0;
    size_t budget_;
};

}  // namespace Orvel
