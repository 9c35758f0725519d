#pragma once
#include "ContainerUI.h"

namespace Orvel {

// Arranges its children in a grid of equal-width columns, each row as high
// as its tallest member; every child is centred in its tile. The column
// count is set directly or follows from an item width.
class CTileLayoutUI : public CContainerUI {
public:
    CTileLayoutUI();

    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
    void Place(const RECT& rect, bool invalidate = true) override;

    // Only the width counts: above 0 it fixes the column count from the
    // available width at each placement. Unscaled.
    CUiSize ItemSize() const { return itemSize_; }
    void SetItemSize(const SIZE& size);
    int Columns() const { return columns_; }
    // Values below 1 are ignored.
    void SetColumns(int columns);

protected:
    // "itemsize" and "columns".
    void ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) override;

private:
    struct Grid;
    int RowHeight(int first, const Grid& grid) const;
    // The room a child has in a tile of its row, less its own padding and
    // its share of the gaps between columns.
    int TileRoom(const CControlUI* child, int column, const Grid& grid) const;

    CUiSize itemSize_;
    int columns_;
};

}  // namespace Orvel
