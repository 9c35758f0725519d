#include "UiRect.h"

#include <algorithm>

namespace Orvel {

void CUiRect::Union(const RECT& other) {
    left = std::min(left, other.left);
    top = std::min(top, other.top);
    right = std::max(right, other.right);
    bottom = std::max(bottom, other.bottom);
}

void CUiRect::Offset(int dx, int dy) {
    left += dx;
    right += dx;
    top += dy;
    bottom += dy;
}

bool CUiRect::Intersect(const RECT& other) {
    RECT result = {};
    RECT self = *this;
    BOOL overlap = IntersectRect(&result, &self, &other);
    *static_cast<RECT*>(this) = result;
    return overlap != FALSE;
}

}  // namespace Orvel
