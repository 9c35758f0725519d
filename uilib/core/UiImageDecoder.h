#pragma once
#include <cstddef>
#include <memory>

namespace Orvel {

// Pixels decoded to 8-bit RGBA, row by row from the top.
struct UiDecodedImage {
    int width = 0;
    int height = 0;
    std::unique_ptr<unsigned char, void (*)(void*)> rgba{nullptr, nullptr};
};

// Images wider or higher than this are refused before any pixel is decoded.
constexpr int kMaxImageSide = 16384;

// Decodes PNG, JPEG, BMP, GIF (first frame) and the other formats stb_image
// reads; false for anything it cannot decode, empty or oversized images.
bool DecodeImage(const unsigned char* bytes, size_t size, UiDecodedImage& image);

}  // namespace Orvel
