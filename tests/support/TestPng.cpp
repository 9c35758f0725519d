#include "TestPng.h"

#include "TestEnv.h"

#include <zlib.h>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace testpng {

namespace {

void Append(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
}

void PutBigEndian(std::string& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<char>((value >> (24 - 8 * i)) & 0xFF);
    }
}

}  // namespace

std::string Encode(int width, int height, const std::vector<uint32_t>& argb) {
    std::vector<unsigned char> rgba(argb.size() * 4);
    for (size_t i = 0; i < argb.size(); ++i) {
        rgba[i * 4 + 0] = static_cast<unsigned char>(argb[i] >> 16);
        rgba[i * 4 + 1] = static_cast<unsigned char>(argb[i] >> 8);
        rgba[i * 4 + 2] = static_cast<unsigned char>(argb[i]);
        rgba[i * 4 + 3] = static_cast<unsigned char>(argb[i] >> 24);
    }
    std::string png;
    stbi_write_png_to_func(Append, &png, width, height, 4, rgba.data(), width * 4);
    return png;
}

bool Write(const std::wstring& path, int width, int height, const std::vector<uint32_t>& argb) {
    return testenv::WriteFileBytes(path, Encode(width, height, argb));
}

bool WriteSolid(const std::wstring& path, int width, int height, uint32_t argb) {
    return Write(path, width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, argb));
}

std::string WithClaimedSize(const std::string& png, uint32_t width, uint32_t height) {
    // Signature (8), IHDR length and type (8), then width and height; the
    // chunk's CRC covers type and data (17 bytes) and follows them.
    std::string forged = png;
    PutBigEndian(forged, 16, width);
    PutBigEndian(forged, 20, height);
    uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(forged.data() + 12), 17);
    PutBigEndian(forged, 29, static_cast<uint32_t>(crc));
    return forged;
}

}  // namespace testpng
