#pragma once
#include "UiPlatform.h"
#include "UiString.h"

namespace Orvel {

// One font, owned by a font table of the paint manager.
struct UiFontInfo {
    HFONT font = nullptr;  // owned by the table holding the record
    CUiString face;        // as registered; may be empty (the default face)
    int size = 0;          // unscaled pixels, as written in markup
    int weight = FW_NORMAL;
    bool underline = false;
    bool italic = false;
    TEXTMETRICW metrics = {};  // valid once hasMetrics is set
    bool hasMetrics = false;
};

}  // namespace Orvel
