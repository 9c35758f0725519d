#include "ChunkEncoder.h"

#include "Manifest.h"
#include "StoreLimits.h"

#include <zstd.h>

namespace chunkstore {

ChunkEncoder::ChunkEncoder(int level) : context_(ZSTD_createCCtx()), level_(level) {}

ChunkEncoder::~ChunkEncoder() { ZSTD_freeCCtx(context_); }

bool ChunkEncoder::Encode(const uint8_t* raw, size_t size, std::string& stored) {
    if (context_ == nullptr) {
        return false;
    }
    ZSTD_CCtx_reset(context_, ZSTD_reset_session_and_parameters);
    if (ZSTD_isError(ZSTD_CCtx_setParameter(context_, ZSTD_c_compressionLevel, level_)) ||
        ZSTD_isError(ZSTD_CCtx_setParameter(context_, ZSTD_c_contentSizeFlag, 1)) ||
        ZSTD_isError(ZSTD_CCtx_setParameter(context_, ZSTD_c_checksumFlag, 0)) ||
        ZSTD_isError(ZSTD_CCtx_setParameter(context_, ZSTD_c_dictIDFlag, 0)) ||
        ZSTD_isError(ZSTD_CCtx_setParameter(context_, ZSTD_c_windowLog, kChunkWindowLog))) {
        return false;
    }
    stored.resize(1 + ZSTD_compressBound(size));
    size_t frame = ZSTD_compress2(context_, &stored[1], stored.size() - 1, raw, size);
    if (ZSTD_isError(frame)) {
        return false;
    }
    if (frame < size) {
        stored[0] = static_cast<char>(ChunkEncoding::Zstd);
        stored.resize(1 + frame);
    } else {
        stored.assign(1, static_cast<char>(ChunkEncoding::Raw));
        stored.append(reinterpret_cast<const char*>(raw), size);
    }
    return true;
}

}  // namespace chunkstore
