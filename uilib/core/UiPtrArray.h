#pragma once

namespace Orvel {

// A growable array of untyped pointers; it never owns what they point to.
// A full array keeps one spare slot: the capacity doubles (0 becomes 11) as
// soon as the count reaches it.
class CUiPtrArray {
public:
    // 0: nothing allocated until the first Add.
    explicit CUiPtrArray(int capacity = 0);
    CUiPtrArray(const CUiPtrArray& other);
    CUiPtrArray& operator=(const CUiPtrArray& other);
    ~CUiPtrArray();

    // False only when growing fails; the array is then unchanged.
    bool Add(void* item);
    // index == Count() appends; outside 0..Count() returns false.
    bool InsertAt(int index, void* item);
    bool Remove(int index);
    int Find(void* item) const;
    // Null for an index outside 0..Count()-1.
    void* GetAt(int index) const;
    // No range test.
    void* At(int index) const { return items_[index]; }
    bool SetAt(int index, void* item);

    int Count() const { return count_; }
    int Capacity() const { return capacity_; }
    bool IsEmpty() const { return count_ == 0; }
    void Clear();
    // Frees the storage and allocates count zeroed slots, all in use.
    void Resize(int count);

private:
    bool GrowForOneMore();

    void** items_;  // owned storage, null while nothing was allocated
    int count_;
    int capacity_;
};

}  // namespace Orvel
