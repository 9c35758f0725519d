#pragma once
#include "UiPlatform.h"
#include "UiRect.h"
#include "UiString.h"

namespace Orvel {

class CUiDpiScale;

// One parsed image attribute string with its modify string; owned by the
// paint manager's draw-record cache.
struct UiDrawInfo {
    CUiString imageString;
    CUiString modifyString;
    CUiString name;          // file path, or a resource id in decimal
    CUiString resourceType;  // empty for files
    CUiRect dest;            // offset from the element's rectangle, scaled; all 0 = whole element
    CUiRect source;          // image pixels; all 0 = whole image
    CUiRect corners;         // nine-grid border widths in image pixels
    DWORD mask = 0;
    BYTE fade = 255;
    bool hole = false;
    bool xTiled = false;
    bool yTiled = false;

    void Reset();
    // The image string first, then the modify string, so that the modify
    // string's keys win. Only "dest" depends on the display scale.
    void Parse(const wchar_t* image, const wchar_t* modify, const CUiDpiScale& scale);

private:
    bool ParsePairs(const wchar_t* text, const CUiDpiScale& scale);
    void ApplyPair(const CUiString& key, const CUiString& value, const CUiDpiScale& scale);
};

// Reads the key='value' pairs of an image attribute string one by one.
class UiImagePairReader {
public:
    explicit UiImagePairReader(const wchar_t* text) : position_(text) {}

    // The next well-formed pair (its value may be empty); false at the end of
    // the text or at the first malformed pair, and from then on.
    bool Next(CUiString& key, CUiString& value);
    // Where the unread rest of the text begins: after the last pair read, or
    // at the start of the malformed one.
    const wchar_t* Position() const { return position_; }

private:
    const wchar_t* position_;  // not owned
    bool stopped_ = false;
};

// The display-scale variant of an image file (name@150.png and so on) that
// suits `scalePercent`, searched in the file system under the resource
// path; the name itself when no variant exists.
CUiString FindScaledImageVariant(const CUiString& name, int scalePercent);

}  // namespace Orvel
