#include "picture.h"

#include <cstdlib>
#include <cstring>

namespace vcxcam {

std::size_t rowStride(int width) { return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3}; }

std::size_t frameSize(int width, int height) {
    return rowStride(width) * static_cast<std::size_t>(std::abs(height));
}

void drawFrame(std::uint8_t* bits, int width, int height, std::uint32_t frame) {
    const std::size_t stride = rowStride(width);
    const int rows = std::abs(height);
    const bool bottomUp = height > 0;
    for (int y = 0; y < rows; ++y) {
        std::uint8_t* row = bits + stride * static_cast<std::size_t>(bottomUp ? rows - 1 - y : y);
        std::uint8_t* pixel = row;
        for (int x = 0; x < width; ++x) {
            *pixel++ = static_cast<std::uint8_t>(x + frame);
            *pixel++ = static_cast<std::uint8_t>(y);
            *pixel++ = static_cast<std::uint8_t>(x ^ y);
        }
        std::memset(pixel, 0, stride - static_cast<std::size_t>(pixel - row));
    }
}

} // namespace vcxcam
