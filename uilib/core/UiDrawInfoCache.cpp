#include "UiDrawInfoCache.h"

#include <cwchar>

namespace Orvel {

namespace {

size_t TextBytes(const CUiString& text) {
    return text.Length() > CUiString::kMaxInlineLength ? (static_cast<size_t>(text.Length()) + 1) * sizeof(wchar_t)
                                                       : 0;
}

// The image string's length goes first so that no two pairs of strings share a key.
std::wstring KeyOf(const wchar_t* image, const wchar_t* modify) {
    const size_t imageLength = image != nullptr ? wcslen(image) : 0;
    std::wstring key = std::to_wstring(imageLength);
    key += L':';
    key.append(image != nullptr ? image : L"", imageLength);
    key += modify != nullptr ? modify : L"";
    return key;
}

}  // namespace

size_t CUiDrawInfoCache::EntryBytes(const Entry& entry) {
    const UiDrawInfo& info = entry.info;
    // A list node and a map node with its bucket, beside what they hold.
    constexpr size_t kNodes = sizeof(Entry) + 4 * sizeof(void*) + sizeof(std::wstring_view) + sizeof(void*);
    return kNodes + entry.key.capacity() * sizeof(wchar_t) + TextBytes(info.imageString) +
           TextBytes(info.modifyString) + TextBytes(info.name) + TextBytes(info.resourceType);
}

const UiDrawInfo* CUiDrawInfoCache::Lookup(const wchar_t* image, const wchar_t* modify, const CUiDpiScale& scale) {
    if ((image == nullptr || *image == L'\0') && (modify == nullptr || *modify == L'\0')) {
        return nullptr;
    }
    std::wstring key = KeyOf(image, modify);
    auto found = index_.find(key);
    if (found != index_.end()) {
        entries_.splice(entries_.end(), entries_, found->second);
        return &found->second->info;
    }
    entries_.emplace_back();
    Entry& entry = entries_.back();
    entry.key = std::move(key);
    entry.info.Parse(image, modify, scale);
    entry.bytes = EntryBytes(entry);
    try {
        index_.emplace(entry.key, std::prev(entries_.end()));
    } catch (...) {
        entries_.pop_back();
        throw;
    }
    bytes_ += entry.bytes;
    // The new record itself always stays.
    while (bytes_ > budget_ && entries_.size() > 1) {
        EvictOldest();
    }
    return &entry.info;
}

void CUiDrawInfoCache::EvictOldest() {
    const Entry& oldest = entries_.front();
    index_.erase(oldest.key);
    bytes_ -= oldest.bytes;
    entries_.pop_front();
}

void CUiDrawInfoCache::Clear() {
    index_.clear();
    entries_.clear();
    bytes_ = 0;
}

}  // namespace Orvel
