#include "FontFaceNameTranslator.h"

#include "UiPlatform.h"
#include "UiScopedHandles.h"
#include "UiSystemVersion.h"

#include <cwchar>

namespace Orvel {

namespace {

struct FacePair {
    const wchar_t* english;
    const wchar_t* chinese;
};

const FacePair kFaces[] = {
    {L"SimSun", L"宋体"},
    {L"SimHei", L"黑体"},
    {L"SimKai", L"楷体"},
    {L"NSimSun", L"新宋体"},
    {L"SimYou", L"幼圆"},
    {L"SimLi", L"隶书"},
    {L"SimFang", L"仿宋"},
    {L"STFangsong", L"华文仿宋"},
    {L"STCaiyun", L"华文彩云"},
    {L"STKaiti", L"华文楷体"},
    {L"STXingkai", L"华文行楷"},
    {L"STHupo", L"华文琥珀"},
    {L"STSong", L"华文宋体"},
    {L"STZhongsong", L"华文中宋"},
    {L"STXinwei", L"华文新魏"},
    {L"STLiti", L"华文隶书"},
    {L"STXihei", L"华文细黑"},
    {L"FangZheng ShuTi", L"方正舒体"},
    {L"FangZheng QiTi", L"方正启体"},
};

int CALLBACK StopAtFirstFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

}  // namespace

FontFaceNameTranslator& FontFaceNameTranslator::Instance() {
    static FontFaceNameTranslator instance;
    return instance;
}

FontFaceNameTranslator::FontFaceNameTranslator() {
    for (const FacePair& face : kFaces) {
        faces_[face.chinese] = face.english;
    }
    faces_[L"微软雅黑"] = IsWindowsVersionOrLater(6, 2) ? L"Microsoft YaHei UI" : L"Microsoft YaHei";
}

const wchar_t* FontFaceNameTranslator::Translate(const wchar_t* name) const {
    if (name == nullptr) {
        return nullptr;
    }
    auto found = faces_.find(name);
    return found == faces_.end() ? name : found->second.c_str();
}

bool FontFaceNameTranslator::IsInstalled(const wchar_t* name) const {
    if (name == nullptr || *name == L'\0') {
        return false;
    }
    LOGFONTW font = {};
    font.lfCharSet = GB2312_CHARSET;
    font.lfWeight = FW_NORMAL;
    wcsncpy(font.lfFaceName, name, LF_FACESIZE - 1);
    ScopedGetDC screen(nullptr);
    if (screen.Get() == nullptr) {
        return false;
    }
    bool found = false;
    EnumFontFamiliesExW(screen.Get(), &font, StopAtFirstFamily, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

CUiString FontFaceNameTranslator::DefaultFace() const {
    const wchar_t* candidate = L"SimSun";
    if (IsWindowsVersionOrLater(6, 2)) {
        candidate = L"Microsoft YaHei UI";
    } else if (IsWindowsVersionOrLater(6, 0)) {
        candidate = L"Microsoft YaHei";
    }
    if (IsInstalled(candidate)) {
        return CUiString(candidate);
    }
    return SystemFace();
}

CUiString FontFaceNameTranslator::SystemFace() const {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        return CUiString();
    }
    return CUiString(Translate(metrics.lfMessageFont.lfFaceName));
}

}  // namespace Orvel
