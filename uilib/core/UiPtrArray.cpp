#include "UiPtrArray.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace Orvel {

namespace {

// False when `count` pointers do not fit in size_t bytes (2^30 of them in
// the 32-bit build would wrap to a 0-byte block).
bool StorageBytes(int count, size_t& bytes) {
    if (count < 0 || static_cast<size_t>(count) > SIZE_MAX / sizeof(void*)) {
        return false;
    }
    bytes = static_cast<size_t>(count) * sizeof(void*);
    return true;
}

}  // namespace

CUiPtrArray::CUiPtrArray(int capacity) : items_(nullptr), count_(0), capacity_(0) {
    size_t bytes = 0;
    if (capacity > 0 && StorageBytes(capacity, bytes)) {
        items_ = static_cast<void**>(malloc(bytes));
        if (items_ != nullptr) {
            capacity_ = capacity;
        }
    }
}

CUiPtrArray::CUiPtrArray(const CUiPtrArray& other) : items_(nullptr), count_(0), capacity_(0) {
    for (int i = 0; i < other.count_; ++i) {
        Add(other.items_[i]);
    }
}

CUiPtrArray& CUiPtrArray::operator=(const CUiPtrArray& other) {
    if (this != &other) {
        Clear();
        for (int i = 0; i < other.count_; ++i) {
            Add(other.items_[i]);
        }
    }
    return *this;
}

CUiPtrArray::~CUiPtrArray() {
    free(items_);
}

bool CUiPtrArray::GrowForOneMore() {
    int count = count_ + 1;
    if (count < capacity_) {
        return true;
    }
    if (capacity_ > INT_MAX / 2) {
        return false;
    }
    int capacity = capacity_ == 0 ? 11 : capacity_ * 2;
    size_t bytes = 0;
    if (!StorageBytes(capacity, bytes)) {
        return false;
    }
    auto* items = static_cast<void**>(realloc(items_, bytes));
    if (items == nullptr) {
        return false;
    }
    items_ = items;
    capacity_ = capacity;
    return true;
}

bool CUiPtrArray::Add(void* item) {
    if (!GrowForOneMore()) {
        return false;
    }
    items_[count_++] = item;
    return true;
}

bool CUiPtrArray::InsertAt(int index, void* item) {
    if (index == count_) {
        return Add(item);
    }
    if (index < 0 || index > count_) {
        return false;
    }
    if (!GrowForOneMore()) {
        return false;
    }
    memmove(items_ + index + 1, items_ + index, static_cast<size_t>(count_ - index) * sizeof(void*));
    items_[index] = item;
    ++count_;
    return true;
}

bool CUiPtrArray::Remove(int index) {
    if (index < 0 || index >= count_) {
        return false;
    }
    memmove(items_ + index, items_ + index + 1, static_cast<size_t>(count_ - index - 1) * sizeof(void*));
    --count_;
    return true;
}

int CUiPtrArray::Find(void* item) const {
    for (int i = 0; i < count_; ++i) {
        if (items_[i] == item) {
            return i;
        }
    }
    return -1;
}

void* CUiPtrArray::GetAt(int index) const {
    if (index < 0 || index >= count_) {
        return nullptr;
    }
    return items_[index];
}

bool CUiPtrArray::SetAt(int index, void* item) {
    if (index < 0 || index >= count_) {
        return false;
    }
    items_[index] = item;
    return true;
}

void CUiPtrArray::Clear() {
    free(items_);
    items_ = nullptr;
    count_ = 0;
    capacity_ = 0;
}

void CUiPtrArray::Resize(int count) {
    Clear();
    if (count <= 0) {
        return;
    }
    items_ = static_cast<void**>(calloc(static_cast<size_t>(count), sizeof(void*)));
    if (items_ != nullptr) {
        count_ = count;
        capacity_ = count;
    }
}

}  // namespace Orvel
