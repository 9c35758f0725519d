#pragma once
#include "UiString.h"
#include "UiStringPtrMap.h"

namespace Orvel {

class IQueryControlText;

// The process's texts by key (for controls whose text is a resource key)
// and its map from skin names to skin file names. One per process.
class CUiTextRegistry {
public:
    // Created on first use; lives until the process ends.
    static CUiTextRegistry& Instance();

    // The text for `key`: the registered one, else the provider's answer
    // (remembered), else the key itself. Empty for a null key.
    CUiString Text(const wchar_t* key);
    void SetText(const wchar_t* key, const wchar_t* text);
    void RemoveText(const wchar_t* key);
    // Not owned; null removes it.
    void SetProvider(IQueryControlText* provider) { provider_ = provider; }

    // The skin file registered for a skin name, or null.
    const wchar_t* SkinFile(const wchar_t* skinName);
    void SetSkinFile(const wchar_t* skinName, const wchar_t* fileName);

private:
    CUiTextRegistry() = default;
    ~CUiTextRegistry();
    CUiTextRegistry(const CUiTextRegistry&) = delete;
    CUiTextRegistry& operator=(const CUiTextRegistry&) = delete;

    static void Store(CUiStringPtrMap& map, const wchar_t* key, const wchar_t* text);
    static void FreeAll(CUiStringPtrMap& map);

    CUiStringPtrMap texts_;      // values: owned CUiString
    CUiStringPtrMap skinFiles_;  // values: owned CUiString
    IQueryControlText* provider_ = nullptr;  // not owned
};

}  // namespace Orvel
