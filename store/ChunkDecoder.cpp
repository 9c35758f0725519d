#include "ChunkDecoder.h"

#include "Sha256Hasher.h"
#include "StoreLimits.h"

#include <zstd.h>
#include <zstd_errors.h>

#include <cstring>
#include <new>

namespace chunkstore {

ChunkDecoder::ChunkDecoder() : context_(ZSTD_createDCtx()) {
    if (context_ != nullptr) {
        ZSTD_DCtx_setParameter(context_, ZSTD_d_windowLogMax, kChunkWindowLog);
    }
}

ChunkDecoder::~ChunkDecoder() { ZSTD_freeDCtx(context_); }

StoreError ChunkDecoder::Decode(const ChunkInfo& info, const uint8_t* stored, size_t storedSize,
                                std::vector<uint8_t>& raw) {
    if (info.rawBytes == 0 || info.rawBytes > kMaxChunkBytes) {
        return StoreError::ChunkSizeOutOfBounds;
    }
    if (storedSize != info.storedBytes || storedSize < 2) {
        return StoreError::ChunkStoredSizeMismatch;
    }
    try {
        raw.resize(info.rawBytes);
    } catch (const std::bad_alloc&) {
        return StoreError::OutOfMemory;
    }
    const uint8_t* payload = stored + 1;
    size_t payloadSize = storedSize - 1;
    StoreError error = StoreError::ChunkBadEncoding;
    if (stored[0] == static_cast<uint8_t>(ChunkEncoding::Raw)) {
        error = payloadSize == raw.size() ? StoreError::Ok : StoreError::ChunkSizeMismatch;
        if (error == StoreError::Ok) std::memcpy(raw.data(), payload, payloadSize);
    } else if (stored[0] == static_cast<uint8_t>(ChunkEncoding::Zstd)) {
        error = DecodeFrame(payload, payloadSize, raw);
    }
    return error == StoreError::Ok ? VerifyRawChunk(info, raw.data(), raw.size()) : error;
}

// Exactly one frame that declares the expected size and decodes to it; the
// output buffer is already that size, and zstd never writes past it.
StoreError ChunkDecoder::DecodeFrame(const uint8_t* frame, size_t size, std::vector<uint8_t>& raw) {
    if (context_ == nullptr) {
        return StoreError::OutOfMemory;
    }
    if (ZSTD_findFrameCompressedSize(frame, size) != size) {
        return StoreError::ChunkBadEncoding;
    }
    unsigned long long declared = ZSTD_getFrameContentSize(frame, size);
    if (declared == ZSTD_CONTENTSIZE_UNKNOWN || declared == ZSTD_CONTENTSIZE_ERROR) {
        return StoreError::ChunkBadEncoding;
    }
    if (declared != raw.size()) {
        return StoreError::ChunkSizeMismatch;
    }
    size_t decoded = ZSTD_decompressDCtx(context_, raw.data(), raw.size(), frame, size);
    if (ZSTD_isError(decoded)) {
        return ZSTD_getErrorCode(decoded) == ZSTD_error_dstSize_tooSmall ? StoreError::ChunkSizeMismatch
                                                                        : StoreError::ChunkBadEncoding;
    }
    return decoded == raw.size() ? StoreError::Ok : StoreError::ChunkSizeMismatch;
}

StoreError VerifyRawChunk(const ChunkInfo& info, const uint8_t* raw, size_t size) {
    if (size != info.rawBytes) {
        return StoreError::ChunkSizeMismatch;
    }
    Digest digest;
    if (!Sha256Of(raw, size, digest)) {
        return StoreError::HashUnavailable;
    }
    return digest == info.id ? StoreError::Ok : StoreError::ChunkHashMismatch;
}

}  // namespace chunkstore
