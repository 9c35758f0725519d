#pragma once
#include "UiString.h"

#include <string>
#include <unordered_map>

namespace Orvel {

// Skins name fonts by their Chinese family names; the font system may know
// them only by their English names. One process-wide instance.
class FontFaceNameTranslator {
public:
    // Created on first use; lives until the process ends.
    static FontFaceNameTranslator& Instance();

    virtual ~FontFaceNameTranslator() = default;

    // Null for null; the English name for a listed Chinese name; otherwise
    // `name` itself. The result stays valid as long as `name` does.
    const wchar_t* Translate(const wchar_t* name) const;
    // Whether the platform enumerates a GB2312 family of that face.
    bool IsInstalled(const wchar_t* name) const;
    // The Microsoft YaHei family this system version ships when installed,
    // otherwise the system message font's face.
    CUiString DefaultFace() const;
    CUiString SystemFace() const;

private:
    FontFaceNameTranslator();
    FontFaceNameTranslator(const FontFaceNameTranslator&) = delete;
    FontFaceNameTranslator& operator=(const FontFaceNameTranslator&) = delete;

    std::unordered_map<std::wstring, std::wstring> faces_;
};

}  // namespace Orvel
