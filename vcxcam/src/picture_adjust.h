// The picture adjustment of the camera's Brightness, Contrast and Gain,
// applied to each drawn RGB24 picture. Each colour byte c of the picture (row
// padding left alone) becomes, with the current values B, C and G:
//
//     v = floor((c - 128) * C / 100) + 128 + B
//     c' = clamp(floor(v * (100 + G) / 100), 0, 255)
//
// B = 0, C = 100, G = 0 leave the picture as drawn; a camera without one of
// the three properties uses that neutral value for it.
#pragma once

#include <cstdint>

namespace vcxcam {

struct PictureLevels {
    long brightness = 0;
    long contrast = 100;
    long gain = 0;
    bool operator==(const PictureLevels&) const = default;
};

// The byte a colour byte c becomes.
std::uint8_t adjustedByte(int c, const PictureLevels& levels);

// Adjusts every colour byte of a width x height RGB24 picture in bits (stored
// rows padded to 4 bytes); the neutral levels change nothing.
void adjustPicture(std::uint8_t* bits, int width, int height, const PictureLevels& levels);

} // namespace vcxcam
