#include "picture.h"

#include <cstdlib>
#include <cstring>

namespace vcxcam {

std::size_t rowStride(int width) {
    return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
}

std::size_t frameSize(int width, int height) {
    return rowStride(width) * static_cast<std::size_t>(std::abs(height));
}

namespace {

// Every channel depends on x and y only modulo 256, so a picture row repeats
// every 256 pixels and rows 256 apart are equal.
constexpr int kPeriod = 256;

// Fills one stored row: the first period computed, the rest copied from it in
// doubling blocks, then the zero padding.
void drawRow(std::uint8_t* row, std::size_t stride, int width, int y, std::uint32_t frame) {
    const int computed = width < kPeriod ? width : kPeriod;
    std::uint8_t* pixel = row;
    for (int x = 0; x < computed; ++x) {
        *pixel++ = static_cast<std::uint8_t>(x + frame);
        *pixel++ = static_cast<std::uint8_t>(y);
        *pixel++ = static_cast<std::uint8_t>(x ^ y);
    }
    const std::size_t pixelBytes = static_cast<std::size_t>(width) * 3;
    std::size_t filled = static_cast<std::size_t>(computed) * 3;
    while (filled < pixelBytes) {
        const std::size_t block = filled < pixelBytes - filled ? filled : pixelBytes - filled;
        std::memcpy(row + filled, row, block);
        filled += block;
    }
    std::memset(row + pixelBytes, 0, stride - pixelBytes);
}

} // namespace

void drawFrame(std::uint8_t* bits, int width, int height, std::uint32_t frame) {
    const std::size_t stride = rowStride(width);
    const int rows = std::abs(height);
    const bool bottomUp = height > 0;
    const auto storedRow = [&](int y) {
        return bits + stride * static_cast<std::size_t>(bottomUp ? rows - 1 - y : y);
    };
    for (int y = 0; y < rows; ++y) {
        if (y < kPeriod) {
            drawRow(storedRow(y), stride, width, y, frame);
        } else {
            std::memcpy(storedRow(y), storedRow(y - kPeriod), stride);
        }
    }
}

} // namespace vcxcam
