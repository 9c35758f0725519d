#include "UiScaledCellCache.h"

#include "UiImageInfo.h"

namespace Orvel {

namespace {

bool SameSource(const UiScaledCell& a, const UiScaledCell& b) {
    return EqualRect(&a.source, &b.source) && a.blended == b.blended;
}

}  // namespace

size_t CUiScaledCellCache::CellBytes(int width, int height) {
    return static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
}

bool CUiScaledCellCache::IsCurrent(const Entry& entry, const UiImageInfo& image) {
    const std::shared_ptr<const char>& pixels = image.pixelsId;
    return entry.image == &image && !entry.pixels.expired() && !entry.pixels.owner_before(pixels) &&
           !pixels.owner_before(entry.pixels);
}

CUiScaledCellCache::Entries::iterator CUiScaledCellCache::Erase(Entries::iterator entry) {
    DeleteObject(entry->bitmap);
    bytes_ -= entry->bytes;
    return entries_.erase(entry);
}

HBITMAP CUiScaledCellCache::Find(const UiImageInfo& image, const UiScaledCell& cell) {
    for (auto entry = entries_.begin(); entry != entries_.end(); ++entry) {
        if (entry->cell.width == cell.width && entry->cell.height == cell.height && SameSource(entry->cell, cell) &&
            IsCurrent(*entry, image)) {
            entries_.splice(entries_.end(), entries_, entry);
            return entry->bitmap;
        }
    }
    return nullptr;
}

bool CUiScaledCellCache::Admits(int width, int height) const {
    return width > 0 && height > 0 && CellBytes(width, height) <= budget_;
}

bool CUiScaledCellCache::Add(const UiImageInfo& image, const UiScaledCell& cell, POINT at, HBITMAP bitmap) {
    if (bitmap == nullptr) {
        return false;
    }
    if (!Admits(cell.width, cell.height)) {
        DeleteObject(bitmap);
        return false;
    }
    for (auto entry = entries_.begin(); entry != entries_.end();) {
        const bool replaced = entry->image == &image && SameSource(entry->cell, cell) && entry->at.x == at.x &&
                              entry->at.y == at.y;
        const bool stale = entry->pixels.expired();
        entry = (replaced || stale) ? Erase(entry) : std::next(entry);
    }
    const size_t bytes = CellBytes(cell.width, cell.height);
    while (!entries_.empty() && bytes_ + bytes > budget_) {
        Erase(entries_.begin());
    }
    try {
        entries_.push_back(Entry{&image, image.pixelsId, cell, at, bitmap, bytes});
    } catch (...) {
        DeleteObject(bitmap);
        return false;
    }
    bytes_ += bytes;
    return true;
}

void CUiScaledCellCache::Clear() {
    while (!entries_.empty()) {
        Erase(entries_.begin());
    }
}

}  // namespace Orvel
