#include "ZipEntryReader.h"

#include "ZipFormat.h"
#include "ZipPlatform.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

namespace {

constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagStrongEncryption = 0x0040;
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflate = 8;
constexpr size_t kInputChunk = 256 * 1024;

// Chunks never exceed kWriteBlock, so one crc32 call takes each.
uint32_t Crc32(uint32_t crc, const unsigned char* data, size_t size) {
    return static_cast<uint32_t>(crc32(crc, data, static_cast<uInt>(size)));
}

}  // namespace

ZipEntryReader::~ZipEntryReader() {
    if (ownsFile_ && file_ != nullptr) {
        CloseHandle(static_cast<HANDLE>(file_));
    }
}

ZipResult ZipEntryReader::CheckSupported(const ZipEntry& entry) {
    if ((entry.flags & (kFlagEncrypted | kFlagStrongEncryption)) != 0) {
        return ZipResult::Encrypted;
    }
    if (entry.method != kMethodStored && entry.method != kMethodDeflate) {
        return ZipResult::UnsupportedMethod;
    }
    return ZipResult::Ok;
}

ZipResult ZipEntryReader::Read(const ZipEntry& entry, ZipSink& sink) {
    if (file_ == nullptr) {
        return ZipResult::BadArgument;
    }
    ZipResult result = CheckSupported(entry);
    if (result != ZipResult::Ok) {
        return result;
    }
    try {
        uint64_t dataOffset = 0;
        result = LocateData(entry, dataOffset);
        if (result != ZipResult::Ok) {
            return result;
        }
        if (!ReadAt(dataOffset, nullptr, 0)) {
            return ZipResult::OpenFailed;
        }
        outBuffer_.resize(kWriteBlock);
        uint32_t crc = static_cast<uint32_t>(crc32(0, nullptr, 0));
        result = entry.method == kMethodStored ? CopyStored(entry, sink, crc) : Inflate(entry, sink, crc);
        if (result == ZipResult::Ok && crc != entry.crc) {
            result = ZipResult::CrcMismatch;
        }
        return result;
    } catch (const std::bad_alloc&) {
        return ZipResult::OutOfMemory;
    }
}

ZipResult ZipEntryReader::LocateData(const ZipEntry& entry, uint64_t& dataOffset) {
    unsigned char header[kLocalHeaderSize];
    if (!ReadAt(entry.localHeaderOffset, header, sizeof(header))) {
        return ZipResult::Truncated;
    }
    size_t nameSize = Get16(header + 26);
    size_t extraSize = Get16(header + 28);
    if (Get32(header) != kLocalHeaderSignature || Get16(header + 8) != entry.method ||
        (Get16(header + 6) & (kFlagEncrypted | kFlagStrongEncryption)) != 0 || nameSize != entry.rawName.size()) {
        return ZipResult::BadLocalHeader;
    }
    std::string name(nameSize, '\0');
    if (!ReadNext(&name[0], nameSize)) {
        return ZipResult::Truncated;
    }
    if (name != entry.rawName) {
        return ZipResult::BadLocalHeader;
    }
    dataOffset = entry.localHeaderOffset + kLocalHeaderSize + nameSize + extraSize;
    if (dataOffset > entry.limit || entry.limit - dataOffset < entry.compressedSize) {
        return ZipResult::OverlappingEntries;
    }
    if (dataOffset + entry.compressedSize > fileSize_) {
        return ZipResult::Truncated;
    }
    return ZipResult::Ok;
}

ZipResult ZipEntryReader::CopyStored(const ZipEntry& entry, ZipSink& sink, uint32_t& crc) {
    if (entry.compressedSize != entry.uncompressedSize) {
        return ZipResult::SizeMismatch;
    }
    uint64_t remaining = entry.compressedSize;
    while (remaining > 0) {
        size_t chunk = static_cast<size_t>(std::min<uint64_t>(remaining, outBuffer_.size()));
        if (!ReadNext(outBuffer_.data(), chunk)) {
            return ZipResult::Truncated;
        }
        crc = Crc32(crc, outBuffer_.data(), chunk);
        if (!sink.Write(outBuffer_.data(), chunk)) {
            return ZipResult::WriteFailed;
        }
        remaining -= chunk;
    }
    return ZipResult::Ok;
}

ZipResult ZipEntryReader::Inflate(const ZipEntry& entry, ZipSink& sink, uint32_t& crc) {
    inBuffer_.resize(kInputChunk);
    z_stream stream;
    std::memset(&stream, 0, sizeof(stream));
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
        return ZipResult::OutOfMemory;
    }
    struct StreamGuard {
        z_stream* stream;
        ~StreamGuard() { inflateEnd(stream); }
    } guard{&stream};

    uint64_t remaining = entry.compressedSize;
    uint64_t produced = 0;
    size_t filled = 0;
    for (;;) {
        if (stream.avail_in == 0 && remaining > 0) {
            size_t chunk = static_cast<size_t>(std::min<uint64_t>(remaining, inBuffer_.size()));
            if (!ReadNext(inBuffer_.data(), chunk)) {
                return ZipResult::Truncated;
            }
            remaining -= chunk;
            stream.next_in = inBuffer_.data();
            stream.avail_in = static_cast<uInt>(chunk);
        }
        stream.next_out = outBuffer_.data() + filled;
        stream.avail_out = static_cast<uInt>(outBuffer_.size() - filled);
        int status = inflate(&stream, Z_NO_FLUSH);
        size_t made = outBuffer_.size() - filled - stream.avail_out;
        produced += made;
        filled += made;
        // Nothing past the declared size is ever handed on.
        if (produced > entry.uncompressedSize) {
            return ZipResult::SizeMismatch;
        }
        bool finished = status == Z_STREAM_END;
        if (filled == outBuffer_.size() || (finished && filled > 0)) {
            crc = Crc32(crc, outBuffer_.data(), filled);
            if (!sink.Write(outBuffer_.data(), filled)) {
                return ZipResult::WriteFailed;
            }
            filled = 0;
        }
        if (finished) {
            break;
        }
        if (status == Z_MEM_ERROR) {
            return ZipResult::OutOfMemory;
        }
        if (status == Z_BUF_ERROR && stream.avail_in == 0 && remaining == 0) {
            return ZipResult::BadData;
        }
        if (status != Z_OK && status != Z_BUF_ERROR) {
            return ZipResult::BadData;
        }
    }
    return produced == entry.uncompressedSize ? ZipResult::Ok : ZipResult::SizeMismatch;
}

bool ZipEntryReader::ReadAt(uint64_t offset, void* buffer, size_t size) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    if (file_ == nullptr || offset > fileSize_ ||
        !SetFilePointerEx(static_cast<HANDLE>(file_), position, nullptr, FILE_BEGIN)) {
        return false;
    }
    return ReadNext(buffer, size);
}

bool ZipEntryReader::ReadNext(void* buffer, size_t size) {
    unsigned char* out = static_cast<unsigned char*>(buffer);
    while (size > 0) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(static_cast<HANDLE>(file_), out, chunk, &got, nullptr) || got == 0) {
            return false;
        }
        out += got;
        size -= got;
    }
    return true;
}
