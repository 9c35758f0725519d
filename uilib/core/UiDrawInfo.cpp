#include "UiDrawInfo.h"

#include "UiDpiScale.h"
#include "UiResourceLocation.h"
#include "UiValueParser.h"

#include <shlwapi.h>

#include <initializer_list>

namespace Orvel {

namespace {

bool IsControlOrSpace(wchar_t ch) {
    return ch != L'\0' && ch <= L' ';
}

const wchar_t* SkipWhiteSpace(const wchar_t* text) {
    while (IsControlOrSpace(*text)) {
        ++text;
    }
    return text;
}

}  // namespace

bool UiImagePairReader::Next(CUiString& key, CUiString& value) {
    if (stopped_ || position_ == nullptr) {
        return false;
    }
    const wchar_t* start = SkipWhiteSpace(position_);
    position_ = start;
    const wchar_t* p = start;
    while (*p != L'\0' && *p != L'=' && *p > L' ') {
        ++p;
    }
    const wchar_t* keyEnd = p;
    p = SkipWhiteSpace(p);
    if (*p != L'=') {
        stopped_ = true;
        return false;
    }
    p = SkipWhiteSpace(p + 1);
    if (*p != L'\'') {
        stopped_ = true;
        return false;
    }
    const wchar_t* valueStart = ++p;
    while (*p != L'\0' && *p != L'\'') {
        ++p;
    }
    if (*p != L'\'') {
        stopped_ = true;
        return false;
    }
    key.Assign(start, static_cast<int>(keyEnd - start));
    value.Assign(valueStart, static_cast<int>(p - valueStart));
    ++p;
    // Only a space after the closing quote lets a further pair follow.
    if (*p == L' ') {
        ++p;
    } else {
        stopped_ = true;
    }
    position_ = p;
    return true;
}

void UiDrawInfo::Reset() {
    imageString.Clear();
    modifyString.Clear();
    name.Clear();
    resourceType.Clear();
    dest.Empty();
    source.Empty();
    corners.Empty();
    mask = 0;
    fade = 255;
    hole = false;
    xTiled = false;
    yTiled = false;
}

void UiDrawInfo::Parse(const wchar_t* image, const wchar_t* modify, const CUiDpiScale& scale) {
    Reset();
    imageString = image;
    modifyString = modify;
    for (const CUiString* text : {&imageString, &modifyString}) {
        if (!text->IsEmpty() && !ParsePairs(text->Data(), scale)) {
            name = *text;
        }
    }
    if (name.Find(L'.') >= 0) {
        name = FindScaledImageVariant(name, scale.ScalePercent());
    }
}

bool UiDrawInfo::ParsePairs(const wchar_t* text, const CUiDpiScale& scale) {
    UiImagePairReader reader(text);
    CUiString key;
    CUiString value;
    bool anyPair = false;
    while (reader.Next(key, value)) {
        anyPair = true;
        if (!value.IsEmpty()) {
            ApplyPair(key, value, scale);
        }
    }
    return anyPair;
}

void UiDrawInfo::ApplyPair(const CUiString& key, const CUiString& value, const CUiDpiScale& scale) {
    if (key == L"file" || key == L"res") {
        name = value;
    } else if (key == L"restype") {
        resourceType = value;
    } else if (key == L"dest") {
        dest = ParseRectValue(value);
        scale.ScaleRect(&dest);
    } else if (key == L"source") {
        source = ParseRectValue(value);
    } else if (key == L"corner") {
        corners = ParseRectValue(value);
    } else if (key == L"mask") {
        mask = ParseColorValue(value);
    } else if (key == L"fade") {
        int alpha = ParseInt(value);
        fade = static_cast<BYTE>(alpha < 0 ? 0 : (alpha > 255 ? 255 : alpha));
    } else if (key == L"hole") {
        hole = ParseBoolValue(value);
    } else if (key == L"xtiled") {
        xTiled = ParseBoolValue(value);
    } else if (key == L"ytiled") {
        yTiled = ParseBoolValue(value);
    }
}

CUiString FindScaledImageVariant(const CUiString& name, int scalePercent) {
    static const int kScales[] = {100, 125, 150, 175, 200, 250, 300, 350};
    constexpr int kCount = static_cast<int>(sizeof(kScales) / sizeof(kScales[0]));
    int dot = -1;
    for (int at = name.Find(L'.'); at >= 0; at = name.Find(L'.', at + 1)) {
        dot = at;
    }
    if (dot < 0) {
        return name;
    }
    CUiString chosen = name;
    for (int i = 0; i < kCount; ++i) {
        CUiString candidate = name;
        if (kScales[i] != 100) {
            CUiString suffix;
            suffix.Format(L"@%d", kScales[i]);
            candidate = name.Left(dot) + suffix + name.Mid(dot);
        }
        CUiString path = UiResourceLocation::ResourcePath() + candidate;
        if (PathFileExistsW(path.Data())) {
            chosen = candidate;
        }
        // A larger variant is never taken for a smaller scale, even when the
        // one for this scale is missing.
        if (kScales[i] == scalePercent || i + 1 == kCount || kScales[i + 1] > scalePercent) {
            break;
        }
    }
    return chosen;
}

}  // namespace Orvel
