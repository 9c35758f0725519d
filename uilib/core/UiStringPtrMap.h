#pragma once
#include "UiString.h"

namespace Orvel {

// A string-keyed hash map of untyped pointers. Each bucket is a doubly
// linked chain; lookups may move the found item to the head of its chain.
// The map owns its items and keys, never the values.
class CUiStringPtrMap {
public:
    // Fewer than 16 buckets are raised to 16.
    explicit CUiStringPtrMap(int buckets = 83);
    ~CUiStringPtrMap();
    CUiStringPtrMap(const CUiStringPtrMap&) = delete;
    CUiStringPtrMap& operator=(const CUiStringPtrMap&) = delete;

    // Ordinal, case-sensitive key match; null when absent.
    void* Find(const wchar_t* key, bool moveToFront = true);
    // False when there are no buckets or the key is present (its value stays).
    bool Insert(const wchar_t* key, void* value);
    // Replaces and returns the old value, or inserts and returns null.
    void* Set(const wchar_t* key, void* value);
    bool Remove(const wchar_t* key);
    // Keys walked bucket by bucket from the last, each chain from its head;
    // null when index is out of range.
    const wchar_t* KeyAt(int index) const;
    int Count() const { return count_; }
    int BucketCount() const { return bucketCount_; }
    // Frees every item; n < 0 counts as 0 buckets.
    void Resize(int buckets);
    void Clear() { Resize(bucketCount_); }

private:
    struct Item {
        CUiString key;
        void* value;  // not owned
        Item* prev;
        Item* next;
    };

    static unsigned int Hash(const wchar_t* key);
    Item* Lookup(const wchar_t* key, unsigned int* bucket) const;
    void Unlink(Item* item, unsigned int bucket);
    void LinkAtHead(Item* item, unsigned int bucket);

    Item** buckets_;  // owned array of chain heads; the chains own their items
    int bucketCount_;
    int count_;
};

}  // namespace Orvel
