#pragma once
// The process-wide side of CPaintManagerUI, shared by its source files.
#include "PaintManagerUI.h"
#include "UiFontInfo.h"
#include "UiPtrArray.h"
#include "UiStringPtrMap.h"

#include <vector>

namespace Orvel {

struct CPaintManagerUI::SharedResources {
    HINSTANCE instance = nullptr;          // not owned
    HINSTANCE resourceInstance = nullptr;  // not owned
    CUiStringPtrMap fonts;                 // values: owned UiFontInfo
    CUiStringPtrMap images;                // values: owned UiImageInfo
    CUiStringPtrMap defaultAttributeLists; // values: owned CUiString
    CUiStringPtrMap styles;                // values: owned CUiString
    DWORD disabledColor = 0xFFA7A6AA;
    DWORD fontColor = 0xFF000000;
    DWORD linkColor = 0xFF0000FF;
    DWORD linkHoverColor = 0xFFD3215F;
    DWORD selectedColor = 0xFFBAE4FF;
    UiFontInfo defaultFont;  // font handle owned
    CUiPtrArray managers;    // every manager attached to a window, in attach order; not owned
    std::vector<UiControlCreator> plugins;
    bool hslEnabled = false;
    short hue = 180;
    short saturation = 100;
    short lightness = 100;
};

}  // namespace Orvel
