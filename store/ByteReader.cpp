#include "ByteReader.h"

namespace chunkstore {

bool ByteReader::Fail(StoreError error) {
    if (error_ == StoreError::Ok) {
        error_ = error;
    }
    return false;
}

bool ByteReader::ReadVarint(uint64_t& value) {
    if (error_ != StoreError::Ok) {
        return false;
    }
    uint64_t result = 0;
    for (unsigned shift = 0; shift < 64; shift += 7) {
        if (offset_ == size_) {
            return Fail(StoreError::Truncated);
        }
        uint8_t byte = data_[offset_++];
        uint64_t part = byte & 0x7F;
        // The tenth byte may carry only the 64th bit.
        if (shift == 63 && part > 1) {
            return Fail(StoreError::BadVarint);
        }
        result |= part << shift;
        if ((byte & 0x80) == 0) {
            // A zero last byte after others means a longer form than needed.
            if (byte == 0 && shift > 0) {
                return Fail(StoreError::BadVarint);
            }
            value = result;
            return true;
        }
    }
    return Fail(StoreError::BadVarint);
}

bool ByteReader::ReadBounded(uint64_t limit, StoreError tooLarge, uint64_t& value) {
    if (!ReadVarint(value)) {
        return false;
    }
    return value <= limit || Fail(tooLarge);
}

bool ByteReader::ReadBytes(size_t count, std::string_view& bytes) {
    if (error_ != StoreError::Ok) {
        return false;
    }
    if (count > Remaining()) {
        return Fail(StoreError::Truncated);
    }
    bytes = std::string_view(reinterpret_cast<const char*>(data_ + offset_), count);
    offset_ += count;
    return true;
}

}  // namespace chunkstore
