#include "ByteWriter.h"

namespace chunkstore {

void ByteWriter::WriteVarint(uint64_t value) {
    while (value >= 0x80) {
        bytes_ += static_cast<char>((value & 0x7F) | 0x80);
        value >>= 7;
    }
    bytes_ += static_cast<char>(value);
}

void ByteWriter::WriteText(std::string_view text) {
    WriteVarint(text.size());
    WriteBytes(text);
}

}  // namespace chunkstore
