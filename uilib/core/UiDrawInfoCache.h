#pragma once
#include "UiDrawInfo.h"

#include <cstddef>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>

namespace Orvel {

class CUiDpiScale;

// The parsed image strings of one window, keyed by the image string and its
// modify string; owned by the paint manager. Bounded in bytes: the least
// recently used records give way, since a moving thumb or a filling progress
// bar makes a new modify string at every position. A record returned stays
// valid until the next lookup that misses, or Clear.
class CUiDrawInfoCache {
public:
    // Far more records than a skin's images and their states.
    static constexpr size_t kDefaultBudgetBytes = 64u << 10;

    explicit CUiDrawInfoCache(size_t budgetBytes = kDefaultBudgetBytes) : budget_(budgetBytes) {}
    CUiDrawInfoCache(const CUiDrawInfoCache&) = delete;
    CUiDrawInfoCache& operator=(const CUiDrawInfoCache&) = delete;

    // The record of the pair, parsed at `scale` on a miss; null for two
    // empty strings.
    const UiDrawInfo* Lookup(const wchar_t* image, const wchar_t* modify, const CUiDpiScale& scale);
    void Clear();
    size_t Count() const { return entries_.size(); }
    // What the records, their texts and their keys take, approximately.
    size_t Bytes() const { return bytes_; }

private:
    struct Entry {
        std::wstring key;
        UiDrawInfo info;
        size_t bytes = 0;
    };
    using Entries = std::list<Entry>;

    static size_t EntryBytes(const Entry& entry);
    void EvictOldest();

    Entries entries_;  // least recently used first
    std::unordered_map<std::wstring_view, Entries::iterator> index_;  // views of the entries' keys
    size_t bytes_ = 0;
    size_t budget_;
};

}  // namespace Orvel
