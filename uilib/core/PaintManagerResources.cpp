// The paint manager's resource tables: images, parsed image strings, fonts,
// styles and default attribute lists, per window and for the process.
#include "PaintManagerUI.h"

#include "PaintManagerShared.h"

#include "FontFaceNameTranslator.h"
#include "UiDrawInfo.h"
#include "UiDynamicCalls.h"
#include "UiImageInfo.h"
#include "UiRender.h"
#include "UiScopedHandles.h"


#include <cwchar>
#include <cwctype>
#include <initializer_list>

namespace Orvel {

CPaintManagerUI::SharedResources& CPaintManagerUI::Shared() {
    // Lives until the process ends; the system reclaims its handles then.
    static SharedResources* shared = [] {
        auto* resources = new SharedResources();
        InitializeProcessDefaults(*resources);
        return resources;
    }();
    return *shared;
}

void CPaintManagerUI::InitializeProcessDefaults(SharedResources& shared) {
    LOGFONTW description = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(description), &description);
    description.lfCharSet = DEFAULT_CHARSET;
    shared.defaultFont.font = CreateFontIndirectW(&description);
    shared.defaultFont.face = description.lfFaceName;
    shared.defaultFont.size = description.lfHeight < 0 ? -description.lfHeight : description.lfHeight;
    shared.defaultFont.weight = description.lfWeight;
    shared.defaultFont.underline = description.lfUnderline != 0;
    shared.defaultFont.italic = description.lfItalic != 0;

    // msimg32.dll is loaded from the system folder with the first lookup.
    DynAlphaBlend();
}

void CPaintManagerUI::SetHsl(bool enabled, short hue, short saturation, short lightness) {
    SharedResources& shared = Shared();
    shared.hslEnabled = enabled;
    shared.hue = hue;
    shared.saturation = saturation;
    shared.lightness = lightness;
    ApplyHslToTable(shared.images);
    for (int i = 0; i < shared.managers.Count(); ++i) {
        auto* manager = static_cast<CPaintManagerUI*>(shared.managers.At(i));
        ApplyHslToTable(manager->images_);
        manager->InvalidateAll();
    }
}

bool CPaintManagerUI::IsHslEnabled() {
    return Shared().hslEnabled;
}

void CPaintManagerUI::GetHsl(short* hue, short* saturation, short* lightness) {
    const SharedResources& shared = Shared();
    *hue = shared.hue;
    *saturation = shared.saturation;
    *lightness = shared.lightness;
}

void CPaintManagerUI::ApplyHslToTable(CUiStringPtrMap& table) {
    const SharedResources& shared = Shared();
    for (int i = 0; i < table.Count(); ++i) {
        auto* info = static_cast<UiImageInfo*>(table.Find(table.KeyAt(i), false));
        if (info != nullptr && info->useHsl) {
            CUiRender::ApplyHsl(shared.hslEnabled, info, shared.hue, shared.saturation, shared.lightness);
        }
    }
}

CUiStringPtrMap& CPaintManagerUI::ImageTable(bool shared) {
    return (shared || sharedResources_) ? Shared().images : images_;
}

CUiStringPtrMap& CPaintManagerUI::FontTable(bool shared) {
    return (shared || sharedResources_) ? Shared().fonts : fonts_;
}

const UiImageInfo* CPaintManagerUI::FindImage(const wchar_t* name) {
    if (name == nullptr) {
        return nullptr;
    }
    auto* info = static_cast<const UiImageInfo*>(images_.Find(name));
    return info != nullptr ? info : static_cast<const UiImageInfo*>(Shared().images.Find(name));
}

const UiImageInfo* CPaintManagerUI::FindOrLoadImage(const wchar_t* name, const wchar_t* type, DWORD mask,
                                                    bool useHsl, HINSTANCE module) {
    const UiImageInfo* info = FindImage(name);
    return info != nullptr ? info : AddImage(name, type, mask, useHsl, false, module);
}

const UiImageInfo* CPaintManagerUI::AddImage(const wchar_t* name, const wchar_t* type, DWORD mask, bool useHsl,
                                             bool shared, HINSTANCE module) {
    if (name == nullptr || *name == L'\0') {
        return nullptr;
    }
    UiImageInfo* info = nullptr;
    if (type == nullptr || *type == L'\0') {
        info = CUiRender::LoadImageData(name, nullptr, mask, module);
    } else if (iswdigit(name[0])) {
        long id = wcstol(name, nullptr, 10);
        // Resource ids are 16-bit; anything else would wrap onto another id.
        if (id > 0 && id <= 0xFFFF) {
            info = CUiRender::LoadImageData(MAKEINTRESOURCEW(id), type, mask, module);
        }
    }
    if (info == nullptr) {
        return nullptr;
    }
    info->useHsl = useHsl;
    info->resourceType = type;
    info->mask = mask;
    if (useHsl) {
        info->savedBits.assign(info->bits, info->bits + static_cast<size_t>(info->width) * info->height * 4);
        const SharedResources& resources = Shared();
        if (resources.hslEnabled) {
            CUiRender::ApplyHsl(true, info, resources.hue, resources.saturation, resources.lightness);
        }
    }
    CUiStringPtrMap& table = ImageTable(shared);
    if (auto* old = static_cast<UiImageInfo*>(table.Find(name))) {
        table.Remove(name);
        CUiRender::ReleaseImage(old, true);
    }
    if (!table.Insert(name, info)) {
        CUiRender::ReleaseImage(info, true);
        return nullptr;
    }
    return info;
}

void CPaintManagerUI::RemoveImage(const wchar_t* name, bool shared) {
    if (name == nullptr) {
        return;
    }
    CUiStringPtrMap& table = ImageTable(shared);
    if (auto* info = static_cast<UiImageInfo*>(table.Find(name))) {
        table.Remove(name);
        CUiRender::ReleaseImage(info, true);
    }
}

const UiDrawInfo* CPaintManagerUI::LookupDrawInfo(const wchar_t* image, const wchar_t* modify) {
    return drawInfos_.Lookup(image, modify, DpiScale());
}

CUiString CPaintManagerUI::FontKey(int id) {
    CUiString key;
    key.FormatShort(L"%d", id);
    return key;
}

HFONT CPaintManagerUI::CreateScaledFont(const wchar_t* face, int size, int weight, bool underline, bool italic) {
    LOGFONTW description = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(description), &description);
    const FontFaceNameTranslator& translator = FontFaceNameTranslator::Instance();
    CUiString chosen;
    if (face == nullptr || *face == L'\0') {
        chosen = translator.DefaultFace();
    } else {
        const wchar_t* translated = translator.Translate(face);
        chosen = translator.IsInstalled(translated) ? CUiString(translated) : translator.DefaultFace();
    }
    wcsncpy(description.lfFaceName, chosen.Data(), LF_FACESIZE - 1);
    description.lfFaceName[LF_FACESIZE - 1] = L'\0';
    description.lfCharSet = DEFAULT_CHARSET;
    description.lfHeight = -DpiScale().ScaleValue(size);
    description.lfWeight = weight;
    description.lfUnderline = underline ? TRUE : FALSE;
    description.lfItalic = italic ? TRUE : FALSE;
    return CreateFontIndirectW(&description);
}

void CPaintManagerUI::FillMetrics(UiFontInfo* info) {
    if (info == nullptr || info->hasMetrics || info->font == nullptr) {
        return;
    }
    auto measure = [info](HDC dc) {
        ScopedSelectObject select(dc, info->font);
        info->hasMetrics = GetTextMetricsW(dc, &info->metrics) != FALSE;
    };
    if (paintDC_ != nullptr) {
        measure(paintDC_);
    } else {
        // Before the window exists a screen-compatible context measures the same.
        ScopedMemoryDC screen(nullptr);
        measure(screen.Get());
    }
}

void CPaintManagerUI::RetireFont(HFONT font) {
    if (font == nullptr) {
        return;
    }
    if (textFontScopes_ > 0) {
        retiredFonts_.Add(font);
    } else {
        DeleteObject(font);
    }
}

void CPaintManagerUI::EndTextFontScope() {
    if (textFontScopes_ > 0) {
        --textFontScopes_;
    }
    if (textFontScopes_ == 0) {
        for (int i = 0; i < retiredFonts_.Count(); ++i) {
            DeleteObject(static_cast<HFONT>(retiredFonts_.At(i)));
        }
        retiredFonts_.Clear();
    }
}

HFONT CPaintManagerUI::RegisterFont(int id, const wchar_t* face, int size, int weight, bool underline,
                                    bool italic, bool shared) {
    HFONT font = CreateScaledFont(face, size, weight, underline, italic);
    if (font == nullptr) {
        return nullptr;
    }
    auto* info = new UiFontInfo();
    info->font = font;
    info->face = face;
    info->size = size;
    info->weight = weight;
    info->underline = underline;
    info->italic = italic;
    if (paintDC_ != nullptr) {
        FillMetrics(info);
    }
    CUiStringPtrMap& table = FontTable(shared);
    CUiString key = FontKey(id);
    if (auto* old = static_cast<UiFontInfo*>(table.Find(key))) {
        table.Remove(key);
        RetireFont(old->font);
        delete old;
    }
    if (!table.Insert(key, info)) {
        DeleteObject(font);
        delete info;
        return nullptr;
    }
    return font;
}

void CPaintManagerUI::SetDefaultFont(const wchar_t* face, int size, int weight, bool underline, bool italic,
                                     bool shared) {
    HFONT font = CreateScaledFont(face, size, weight, underline, italic);
    if (font == nullptr) {
        return;
    }
    UiFontInfo& target = (shared || sharedResources_) ? Shared().defaultFont : defaultFont_;
    RetireFont(target.font);
    target = UiFontInfo();
    target.font = font;
    target.face = face;
    target.size = size;
    target.weight = weight;
    target.underline = underline;
    target.italic = italic;
    if (paintDC_ != nullptr) {
        FillMetrics(&target);
    }
}

UiFontInfo* CPaintManagerUI::LookupFont(int id) {
    if (id < 0) {
        return nullptr;
    }
    CUiString key = FontKey(id);
    auto* info = static_cast<UiFontInfo*>(fonts_.Find(key));
    return info != nullptr ? info : static_cast<UiFontInfo*>(Shared().fonts.Find(key));
}

HFONT CPaintManagerUI::FontById(int id) {
    UiFontInfo* info = LookupFont(id);
    return info != nullptr ? info->font : DefaultFontInfo()->font;
}

UiFontInfo* CPaintManagerUI::FontInfoById(int id) {
    UiFontInfo* info = LookupFont(id);
    if (info == nullptr) {
        return DefaultFontInfo();
    }
    FillMetrics(info);
    return info;
}

UiFontInfo* CPaintManagerUI::FontInfoByHandle(HFONT font) {
    if (font != nullptr) {
        for (CUiStringPtrMap* table : {&fonts_, &Shared().fonts}) {
            for (int i = 0; i < table->Count(); ++i) {
                auto* info = static_cast<UiFontInfo*>(table->Find(table->KeyAt(i), false));
                if (info != nullptr && info->font == font) {
                    FillMetrics(info);
                    return info;
                }
            }
        }
    }
    return DefaultFontInfo();
}

HFONT CPaintManagerUI::FindFontByAttributes(const wchar_t* face, int size, int weight, bool underline,
                                            bool italic) {
    for (CUiStringPtrMap* table : {&fonts_, &Shared().fonts}) {
        for (int i = 0; i < table->Count(); ++i) {
            auto* info = static_cast<UiFontInfo*>(table->Find(table->KeyAt(i), false));
            if (info != nullptr && info->face == (face != nullptr ? face : L"") && info->size == size &&
                info->weight == weight && info->underline == underline && info->italic == italic) {
                return info->font;
            }
        }
    }
    return nullptr;
}

HFONT CPaintManagerUI::RegisterRichTextFont(const wchar_t* face, int size, int weight, bool underline,
                                            bool italic) {
    const int id = kRichTextFontId + nextRichTextFont_;
    nextRichTextFont_ = (nextRichTextFont_ + 1) % kRichTextFontCount;
    return RegisterFont(id, face, size, weight, underline, italic, false);
}

UiFontInfo* CPaintManagerUI::DefaultFontInfo() {
    UiFontInfo* info = defaultFont_.font != nullptr ? &defaultFont_ : &Shared().defaultFont;
    FillMetrics(info);
    return info;
}

void CPaintManagerUI::StoreString(CUiStringPtrMap& table, const wchar_t* key, const wchar_t* text) {
    delete static_cast<CUiString*>(table.Set(key, new CUiString(text)));
}

void CPaintManagerUI::AddDefaultAttributeList(const wchar_t* className, const wchar_t* list, bool shared) {
    if (className != nullptr && *className != L'\0') {
        StoreString((shared || sharedResources_) ? Shared().defaultAttributeLists : defaultAttributeLists_,
                    className, list);
    }
}

const wchar_t* CPaintManagerUI::DefaultAttributeList(const wchar_t* className) {
    if (className == nullptr) {
        return nullptr;
    }
    auto* list = static_cast<CUiString*>(defaultAttributeLists_.Find(className));
    if (list == nullptr) {
        list = static_cast<CUiString*>(Shared().defaultAttributeLists.Find(className));
    }
    return list != nullptr ? list->Data() : nullptr;
}

void CPaintManagerUI::AddStyle(const wchar_t* name, const wchar_t* list, bool shared) {
    if (name != nullptr && *name != L'\0') {
        StoreString((shared || sharedResources_) ? Shared().styles : styles_, name, list);
    }
}

const wchar_t* CPaintManagerUI::FindStyle(const wchar_t* name) {
    if (name == nullptr || *name == L'\0') {
        return nullptr;
    }
    auto* list = static_cast<CUiString*>(styles_.Find(name));
    if (list == nullptr) {
        list = static_cast<CUiString*>(Shared().styles.Find(name));
    }
    return list != nullptr ? list->Data() : nullptr;
}

void CPaintManagerUI::RebuildFont(UiFontInfo& info) {
    if (info.font == nullptr) {
        return;
    }
    HFONT font = CreateScaledFont(info.face, info.size, info.weight, info.underline, info.italic);
    if (font == nullptr) {
        return;
    }
    RetireFont(info.font);
    info.font = font;
    info.hasMetrics = false;
}

void CPaintManagerUI::RebuildFonts() {
    for (CUiStringPtrMap* table : {&fonts_, &Shared().fonts}) {
        for (int i = 0; i < table->Count(); ++i) {
            RebuildFont(*static_cast<UiFontInfo*>(table->Find(table->KeyAt(i), false)));
        }
    }
    RebuildFont(defaultFont_);
    RebuildFont(Shared().defaultFont);
}

void CPaintManagerUI::ReleaseImages(CUiStringPtrMap& table) {
    for (int i = 0; i < table.Count(); ++i) {
        CUiRender::ReleaseImage(static_cast<UiImageInfo*>(table.Find(table.KeyAt(i), false)), true);
    }
    table.Clear();
}

void CPaintManagerUI::ReleaseFonts(CUiStringPtrMap& table) {
    for (int i = 0; i < table.Count(); ++i) {
        auto* info = static_cast<UiFontInfo*>(table.Find(table.KeyAt(i), false));
        DeleteObject(info->font);
        delete info;
    }
    table.Clear();
}

void CPaintManagerUI::ReleaseStrings(CUiStringPtrMap& table) {
    for (int i = 0; i < table.Count(); ++i) {
        delete static_cast<CUiString*>(table.Find(table.KeyAt(i), false));
    }
    table.Clear();
}

void CPaintManagerUI::ReleaseScaledImages() {
    drawInfos_.Clear();
    scaledCells_.Clear();
    ReleaseImages(images_);
}

void CPaintManagerUI::ClearResourceTables() {
    ReleaseFonts(fonts_);
    ReleaseScaledImages();
    ReleaseStrings(defaultAttributeLists_);
    ReleaseStrings(styles_);
}

}  // namespace Orvel
