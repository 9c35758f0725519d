#include "UiStringPtrMap.h"

#include <cstdlib>
#include <cwchar>
#include <new>

namespace Orvel {

CUiStringPtrMap::CUiStringPtrMap(int buckets) : buckets_(nullptr), bucketCount_(0), count_(0) {
    Resize(buckets < 16 ? 16 : buckets);
}

CUiStringPtrMap::~CUiStringPtrMap() {
    Resize(0);
}

unsigned int CUiStringPtrMap::Hash(const wchar_t* key) {
    unsigned int hash = 0;
    for (size_t i = wcslen(key); i > 0; --i) {
        hash = hash * 33 + static_cast<unsigned int>(key[i - 1]);
    }
    return hash;
}

CUiStringPtrMap::Item* CUiStringPtrMap::Lookup(const wchar_t* key, unsigned int* bucket) const {
    if (key == nullptr || bucketCount_ == 0) {
        return nullptr;
    }
    *bucket = Hash(key) % static_cast<unsigned int>(bucketCount_);
    for (Item* item = buckets_[*bucket]; item != nullptr; item = item->next) {
        if (item->key == key) {
            return item;
        }
    }
    return nullptr;
}

void CUiStringPtrMap::Unlink(Item* item, unsigned int bucket) {
    if (item->prev != nullptr) {
        item->prev->next = item->next;
    } else {
        buckets_[bucket] = item->next;
    }
    if (item->next != nullptr) {
        item->next->prev = item->prev;
    }
    item->prev = nullptr;
    item->next = nullptr;
}

void CUiStringPtrMap::LinkAtHead(Item* item, unsigned int bucket) {
    item->prev = nullptr;
    item->next = buckets_[bucket];
    if (item->next != nullptr) {
        item->next->prev = item;
    }
    buckets_[bucket] = item;
}

void* CUiStringPtrMap::Find(const wchar_t* key, bool moveToFront) {
    unsigned int bucket = 0;
    Item* item = Lookup(key, &bucket);
    if (item == nullptr) {
        return nullptr;
    }
    if (moveToFront && buckets_[bucket] != item) {
        Unlink(item, bucket);
        LinkAtHead(item, bucket);
    }
    return item->value;
}

bool CUiStringPtrMap::Insert(const wchar_t* key, void* value) {
    unsigned int bucket = 0;
    Item* present = Lookup(key, &bucket);
    if (key == nullptr || bucketCount_ == 0) {
        return false;
    }
    if (present != nullptr) {
        if (buckets_[bucket] != present) {
            Unlink(present, bucket);
            LinkAtHead(present, bucket);
        }
        return false;
    }
    Item* item = new (std::nothrow) Item{CUiString(key), value, nullptr, nullptr};
    if (item == nullptr) {
        return false;
    }
    LinkAtHead(item, bucket);
    ++count_;
    return true;
}

void* CUiStringPtrMap::Set(const wchar_t* key, void* value) {
    unsigned int bucket = 0;
    Item* present = Lookup(key, &bucket);
    if (present == nullptr) {
        Insert(key, value);
        return nullptr;
    }
    void* old = present->value;
    present->value = value;
    return old;
}

bool CUiStringPtrMap::Remove(const wchar_t* key) {
    unsigned int bucket = 0;
    Item* item = Lookup(key, &bucket);
    if (item == nullptr) {
        return false;
    }
    Unlink(item, bucket);
    delete item;
    --count_;
    return true;
}

const wchar_t* CUiStringPtrMap::KeyAt(int index) const {
    if (index < 0 || index >= count_) {
        return nullptr;
    }
    int position = 0;
    for (int bucket = bucketCount_ - 1; bucket >= 0; --bucket) {
        for (Item* item = buckets_[bucket]; item != nullptr; item = item->next) {
            if (position++ == index) {
                return item->key.Data();
            }
        }
    }
    return nullptr;
}

void CUiStringPtrMap::Resize(int buckets) {
    for (int bucket = 0; bucket < bucketCount_; ++bucket) {
        Item* item = buckets_[bucket];
        while (item != nullptr) {
            Item* next = item->next;
            delete item;
            item = next;
        }
    }
    free(buckets_);
    buckets_ = nullptr;
    bucketCount_ = 0;
    count_ = 0;
    if (buckets > 0) {
        buckets_ = static_cast<Item**>(calloc(static_cast<size_t>(buckets), sizeof(Item*)));
        if (buckets_ != nullptr) {
            bucketCount_ = buckets;
        }
    }
}

}  // namespace Orvel
