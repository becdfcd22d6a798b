// The conversion between RGB24 pictures and the YUY2 and NV12 subtypes: the
// camera converts its test picture with convertFromRgb24, and the colour
// converter filter turns it back with convertToRgb24. Both use the integer
// BT.601 formulas (studio range, 16..235 for Y), so the picture after both is
// exactly predictable, though not always the picture drawn:
//
//   from r, g, b (0..255) of one pixel:
//     Y = floor((66 r + 129 g + 25 b + 128) / 256) + 16
//     U = floor((-38 r - 74 g + 112 b + 128) / 256) + 128
//     V = floor((112 r - 94 g - 18 b + 128) / 256) + 128
//   back, from the Y of a pixel and the U, V it shares with its neighbours:
//     c = Y - 16, d = U - 128, e = V - 128
//     r = clamp(floor((298 c + 409 e + 128) / 256))
//     g = clamp(floor((298 c - 100 d - 208 e + 128) / 256))
//     b = clamp(floor((298 c + 516 d + 128) / 256))
//   clamp() keeps a value within 0..255.
//
// YUY2 shares U and V between the two pixels x, x + 1 (x even) of a row: each
// is the mean of the two pixels' values, rounded half up, floor((U0 + U1 + 1)
// / 2); the pair is stored as Y0 U Y1 V. NV12 shares them among the four
// pixels of a 2 x 2 block (x and y even), floor((sum of four + 2) / 4); the Y
// of every pixel comes first, row by row, then for each two rows one row of
// U V pairs, a pair per block. Both are stored top-down without padding.
#pragma once

#include "subtype.h"

#include <cstdint>

namespace vcxcam {

struct RgbPixel {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
    bool operator==(const RgbPixel&) const = default;
};

struct YuvPixel {
    std::uint8_t y;
    std::uint8_t u;
    std::uint8_t v;
    bool operator==(const YuvPixel&) const = default;
};

// The formulas above for one pixel.
YuvPixel yuvOfRgb(RgbPixel pixel);
RgbPixel rgbOfYuv(YuvPixel pixel);

// Converts the width x |height| RGB24 picture rgb (bottom-up for a positive
// height, top-down for a negative one, rows padded to 4 bytes) into to, whose
// frameBytes out holds. For YUY2 and NV12, subtypeHoldsSize(to, width,
// |height|) must hold; RGB24 is copied as it is; MJPG is not converted here
// (nothing is written).
void convertFromRgb24(Subtype to, const std::uint8_t* rgb, int width, int height,
                      std::uint8_t* out);

// Converts a width x |height| picture of subtype from into RGB24 rgb, stored
// bottom-up for a positive height and top-down for a negative one, each row
// padded with zeros to 4 bytes. RGB24 is copied as it is; MJPG is not
// converted here (nothing is written).
void convertToRgb24(Subtype from, const std::uint8_t* in, int width, int height, std::uint8_t* rgb);

} // namespace vcxcam
