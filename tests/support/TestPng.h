#pragma once
#include <cstdint>
#include <string>
#include <vector>

// PNG files for image tests. Pixels are straight (not premultiplied)
// 0xAARRGGBB values, row by row from the top.
namespace testpng {

std::string Encode(int width, int height, const std::vector<uint32_t>& argb);
bool Write(const std::wstring& path, int width, int height, const std::vector<uint32_t>& argb);
// A solid image of one colour.
bool WriteSolid(const std::wstring& path, int width, int height, uint32_t argb);
// A valid PNG whose header claims another size (with a correct checksum).
std::string WithClaimedSize(const std::string& png, uint32_t width, uint32_t height);

}  // namespace testpng
