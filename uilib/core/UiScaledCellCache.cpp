#include "UiScaledCellCache.h"

namespace Orvel {

HBITMAP CUiScaledCellCache::Find(const RECT& source, int width, int height, bool blended) const {
    for (const Cell& cell : cells_) {
        if (EqualRect(&cell.source, &source) && cell.width == width && cell.height == height &&
            cell.blended == blended) {
            return cell.bitmap;
        }
    }
    return nullptr;
}

void CUiScaledCellCache::Add(const RECT& source, int width, int height, bool blended, HBITMAP bitmap) {
    if (bitmap == nullptr) {
        return;
    }
    if (cells_.size() >= kMaxCells) {
        DeleteObject(cells_.front().bitmap);
        cells_.erase(cells_.begin());
    }
    try {
        cells_.push_back(Cell{source, width, height, blended, bitmap});
    } catch (...) {
        DeleteObject(bitmap);
    }
}

void CUiScaledCellCache::Clear() {
    for (const Cell& cell : cells_) {
        DeleteObject(cell.bitmap);
    }
    cells_.clear();
}

}  // namespace Orvel
