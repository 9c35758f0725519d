#include "TileLayoutUI.h"

#include "UiValueParser.h"

#include <algorithm>

namespace Orvel {

namespace {

// Children measure their row height with unbounded room below them.
constexpr int kOpenHeight = 9999;

int Clamp(int value, int minimum, int maximum) {
    return std::min(std::max(value, minimum), maximum);
}

}  // namespace

struct CTileLayoutUI::Grid {
    int columns;
    int columnWidth;
    int gap;  // the child padding, split half and half between neighbouring tiles
};

CTileLayoutUI::CTileLayoutUI() : columns_(1) {}

const wchar_t* CTileLayoutUI::ClassName() const {
    return L"TileLayoutUI";
}

void* CTileLayoutUI::CastTo(const wchar_t* name) {
    if (Is(name, L"TileLayout")) {
        return this;
    }
    return CContainerUI::CastTo(name);
}

void CTileLayoutUI::SetItemSize(const SIZE& size) {
    if (itemSize_ != size) {
        itemSize_ = size;
        RequestUpdate();
    }
}

void CTileLayoutUI::SetColumns(int columns) {
    if (columns > 0) {
        columns_ = columns;
        RequestUpdate();
    }
}

void CTileLayoutUI::ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) {
    if (Is(name, L"itemsize")) {
        SetItemSize(ParseSizeValue(value));
    } else if (Is(name, L"columns")) {
        SetColumns(ParseInt(value));
    } else {
        CContainerUI::ApplyOwnAttribute(name, value);
    }
}

// The outer columns keep the half gap on their outer side; a child's own
// padding comes off both sides.
int CTileLayoutUI::TileRoom(const CControlUI* child, int column, const Grid& grid) const {
    const CUiRect pad = child->Padding();
    const int lead = column == 0 ? 0 : grid.gap / 2;
    const int trail = column == grid.columns - 1 ? 0 : grid.gap / 2;
    return grid.columnWidth - pad.left - pad.right - lead - trail;
}

int CTileLayoutUI::RowHeight(int first, const Grid& grid) const {
    int height = 0;
    int column = 0;
    for (int i = first; i < items_.Count() && column < grid.columns; ++i) {
        auto* child = static_cast<CControlUI*>(items_.At(i));
        if (!child->IsVisible() || child->IsFloating()) {
            continue;
        }
        const int room = Clamp(TileRoom(child, column, grid), child->MinWidth(), child->MaxWidth());
        const CUiSize measured = child->MeasureSize(CUiSize(room, kOpenHeight));
        const CUiRect pad = child->Padding();
        const int padded = Clamp(measured.cy, child->MinHeight(), child->MaxHeight()) + pad.top + pad.bottom;
        height = std::max(height, padded);
        ++column;
    }
    return height;
}

void CTileLayoutUI::Place(const RECT& rect, bool invalidate) {
    CControlUI::Place(rect, invalidate);
    CUiRect area = InsideInset();
    if (items_.IsEmpty()) {
        UpdateScrollBars(area, 0, 0);
        return;
    }
    const UiScrollBarMetrics vertical = VerticalBarMetrics();
    const UiScrollBarMetrics horizontal = HorizontalBarMetrics();
    area.right -= vertical.thickness;
    area.bottom -= horizontal.thickness;
    const int itemWidth = Scale(itemSize_.cx);
    if (itemWidth > 0) {
        columns_ = std::max(area.Width() / itemWidth, 1);
    }
    const Grid grid = {columns_, (area.Width() + horizontal.range) / columns_, ChildPadding()};

    const int x0 = area.left - horizontal.position;
    int x = x0;
    int y = area.top - vertical.position;
    int rowHeight = 0;
    int placed = 0;
    int needed = 0;
    for (int i = 0; i < items_.Count(); ++i) {
        CControlUI* child = LaidOutChild(i);
        if (child == nullptr) {
            continue;
        }
        const int column = placed % grid.columns;
        if (column == 0) {
            rowHeight = RowHeight(i, grid);
        }
        const CUiRect pad = child->Padding();
        CUiRect tile(x + pad.left + (column == 0 ? 0 : grid.gap / 2), y + pad.top, 0, y + rowHeight);
        tile.right = tile.left + TileRoom(child, column, grid);

        CUiSize size = child->MeasureSize(CUiSize(tile.Width(), tile.Height()));
        size.cx = Clamp(size.cx != 0 ? size.cx : tile.Width(), child->MinWidth(), child->MaxWidth());
        size.cy = Clamp(size.cy != 0 ? size.cy : tile.Height(), child->MinHeight(), child->MaxHeight());
        const int left = (tile.left + tile.right - size.cx) / 2;
        const int top = (tile.top + tile.bottom - size.cy) / 2;
        child->Place(CUiRect(left, top, left + size.cx, top + size.cy), true);

        if (++placed % grid.columns == 0) {
            x = x0;
            y += rowHeight + grid.gap;
            rowHeight = 0;
        } else {
            x += grid.columnWidth;
        }
        needed = tile.bottom - area.top + vertical.position;
    }
    UpdateScrollBars(area, 0, needed);
}

}  // namespace Orvel
