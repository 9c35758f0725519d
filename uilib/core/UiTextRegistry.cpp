#include "UiTextRegistry.h"

#include "UiInterfaces.h"

namespace Orvel {

CUiTextRegistry& CUiTextRegistry::Instance() {
    static CUiTextRegistry registry;
    return registry;
}

CUiTextRegistry::~CUiTextRegistry() {
    FreeAll(texts_);
    FreeAll(skinFiles_);
}

CUiString CUiTextRegistry::Text(const wchar_t* key) {
    if (key == nullptr) {
        return CUiString();
    }
    if (auto* text = static_cast<CUiString*>(texts_.Find(key))) {
        return *text;
    }
    if (provider_ != nullptr) {
        const wchar_t* answer = provider_->QueryControlText(key, 0);
        if (answer != nullptr) {
            Store(texts_, key, answer);
        }
        return CUiString(answer);
    }
    return CUiString(key);
}

void CUiTextRegistry::SetText(const wchar_t* key, const wchar_t* text) {
    if (key != nullptr) {
        Store(texts_, key, text);
    }
}

void CUiTextRegistry::RemoveText(const wchar_t* key) {
    if (key == nullptr) {
        return;
    }
    delete static_cast<CUiString*>(texts_.Find(key));
    texts_.Remove(key);
}

const wchar_t* CUiTextRegistry::SkinFile(const wchar_t* skinName) {
    if (skinName == nullptr) {
        return nullptr;
    }
    auto* file = static_cast<CUiString*>(skinFiles_.Find(skinName));
    return file != nullptr ? file->Data() : nullptr;
}

void CUiTextRegistry::SetSkinFile(const wchar_t* skinName, const wchar_t* fileName) {
    if (skinName != nullptr) {
        Store(skinFiles_, skinName, fileName);
    }
}

void CUiTextRegistry::Store(CUiStringPtrMap& map, const wchar_t* key, const wchar_t* text) {
    delete static_cast<CUiString*>(map.Set(key, new CUiString(text)));
}

void CUiTextRegistry::FreeAll(CUiStringPtrMap& map) {
    for (int i = 0; i < map.Count(); ++i) {
        delete static_cast<CUiString*>(map.Find(map.KeyAt(i), false));
    }
    map.Clear();
}

}  // namespace Orvel
