#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace chunkstore {

// Appends the store's binary encodings (the mirror of ByteReader).
class ByteWriter {
public:
    void WriteVarint(uint64_t value);
    void WriteBytes(std::string_view bytes) { bytes_.append(bytes.data(), bytes.size()); }
    // A varint length followed by the bytes.
    void WriteText(std::string_view text);

    const std::string& Bytes() const { return bytes_; }
    std::string Take() { return std::move(bytes_); }

private:
    std::string bytes_;
};

}  // namespace chunkstore
