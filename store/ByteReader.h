#pragma once
#include "StoreError.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace chunkstore {

// Reads the store's binary encodings from a bounded buffer. Every read checks
// what is left; the first failure sticks, so a caller may read several fields
// and test once.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    // An unsigned LEB128 number of at most 64 bits in its shortest form.
    bool ReadVarint(uint64_t& value);
    // A varint that must not exceed `limit`; `tooLarge` is the error if it does.
    bool ReadBounded(uint64_t limit, StoreError tooLarge, uint64_t& value);
    bool ReadBytes(size_t count, std::string_view& bytes);

    size_t Remaining() const { return size_ - offset_; }
    bool AtEnd() const { return offset_ == size_; }
    StoreError Error() const { return error_; }
    bool Fail(StoreError error);

private:
    const uint8_t* data_;  // not owned
    size_t size_;
    size_t offset_ = 0;
    StoreError error_ = StoreError::Ok;
};

}  // namespace chunkstore
