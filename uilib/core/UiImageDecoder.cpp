#include "UiImageDecoder.h"

#include <climits>

// The decoder refuses oversized images itself, before allocating their pixels.
#define STBI_MAX_DIMENSIONS 16384
#define STBI_NO_STDIO
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

namespace Orvel {

static_assert(kMaxImageSide == STBI_MAX_DIMENSIONS, "one limit for the decoder and the loader");

bool DecodeImage(const unsigned char* bytes, size_t size, UiDecodedImage& image) {
    image = UiDecodedImage();
    if (bytes == nullptr || size == 0 || size > static_cast<size_t>(INT_MAX)) {
        return false;
    }
    int width = 0;
    int height = 0;
    int channels = 0;
    unsigned char* pixels =
        stbi_load_from_memory(bytes, static_cast<int>(size), &width, &height, &channels, 4);
    if (pixels == nullptr) {
        return false;
    }
    image.rgba = std::unique_ptr<unsigned char, void (*)(void*)>(pixels, stbi_image_free);
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide) {
        image = UiDecodedImage();
        return false;
    }
    image.width = width;
    image.height = height;
    return true;
}

}  // namespace Orvel
