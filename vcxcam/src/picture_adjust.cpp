#include "picture_adjust.h"

#include "picture.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace vcxcam {

namespace {

// Division rounding toward minus infinity.
std::int64_t floorDivide(std::int64_t dividend, std::int64_t divisor) {
    const std::int64_t quotient = dividend / divisor;
    return quotient * divisor != dividend && (dividend < 0) != (divisor < 0) ? quotient - 1
                                                                             : quotient;
}

} // namespace

std::uint8_t adjustedByte(int c, const PictureLevels& levels) {
    // Bounded so that the product below cannot overflow; a value beyond the
    // bound clamps to 0 or 255 all the same (or is multiplied by 0).
    constexpr std::int64_t kBound = std::int64_t{1} << 31;
    const std::int64_t contrasted = std::clamp<std::int64_t>(
        floorDivide(static_cast<std::int64_t>(c - 128) * levels.contrast, 100) + 128 +
            levels.brightness,
        -kBound, kBound);
    const std::int64_t gained = floorDivide(contrasted * (100 + std::int64_t{levels.gain}), 100);
    return static_cast<std::uint8_t>(std::clamp<std::int64_t>(gained, 0, 255));
}

void adjustPicture(std::uint8_t* bits, int width, int height, const PictureLevels& levels) {
    if (levels == PictureLevels{}) {
        return;
    }
    // Every byte depends on its own value only: one table for the frame.
    std::array<std::uint8_t, 256> table;
    for (int c = 0; c < 256; ++c) {
        table[static_cast<std::size_t>(c)] = adjustedByte(c, levels);
    }
    const std::size_t stride = rowStride(width);
    const std::size_t colourBytes = static_cast<std::size_t>(width) * 3;
    for (int row = 0; row < std::abs(height); ++row) {
        std::uint8_t* byte = bits + stride * static_cast<std::size_t>(row);
        for (std::size_t i = 0; i < colourBytes; ++i) {
            byte[i] = table[byte[i]];
        }
    }
}

} // namespace vcxcam
