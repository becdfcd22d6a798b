// The test picture every vcxcam camera draws. For frame number f (0 for the
// first frame after each run), the pixel in column x of picture row y, counted
// from the top, is blue = (x + f) mod 256, green = y mod 256,
// red = (x XOR y) mod 256. Rows are stored bottom-up for a positive height and
// top-down for a negative one, each padded with zeros to a multiple of 4 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vcxcam {

// Bytes in one stored RGB24 row of the given width, padding included.
std::size_t rowStride(int width);

// Bytes in one RGB24 frame: rowStride(width) x |height|.
std::size_t frameSize(int width, int height);

// Draws frame number frame of a width x height RGB24 picture into bits, which
// holds frameSize(width, height) bytes.
void drawFrame(std::uint8_t* bits, int width, int height, std::uint32_t frame);

} // namespace vcxcam
