#include "colour_conversion.h"

#include "picture.h"

#include <cstdlib>
#include <cstring>

namespace vcxcam {

namespace {

// floor(value / 256), which C++20 defines >> to give for negative values too.
constexpr int floorDiv256(int value) {
    return value >> 8;
}

std::uint8_t clampByte(int value) {
    return static_cast<std::uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
}

std::uint8_t mean2(int a, int b) {
    return static_cast<std::uint8_t>((a + b + 1) / 2);
}

std::uint8_t mean4(int a, int b, int c, int d) {
    return static_cast<std::uint8_t>((a + b + c + d + 2) / 4);
}

// Row y of a picture, counted from the top, of rows rows stored bottom-up
// (bottomUp) or top-down, stride bytes apart.
template <class Byte>
Byte* pictureRow(Byte* bits, std::size_t stride, int rows, bool bottomUp, int y) {
    return bits + stride * static_cast<std::size_t>(bottomUp ? rows - 1 - y : y);
}

YuvPixel yuvAt(const std::uint8_t* bgr) {
    return yuvOfRgb(RgbPixel{bgr[2], bgr[1], bgr[0]});
}

void putRgb(std::uint8_t* bgr, RgbPixel pixel) {
    bgr[0] = pixel.blue;
    bgr[1] = pixel.green;
    bgr[2] = pixel.red;
}

void rgbToYuy2(const std::uint8_t* rgb, int width, int height, std::uint8_t* out) {
    const std::size_t stride = rowStride(width);
    const int rows = std::abs(height);
    for (int y = 0; y < rows; ++y) {
        const std::uint8_t* from = pictureRow(rgb, stride, rows, height > 0, y);
        std::uint8_t* to = out + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 2;
        for (int x = 0; x < width; x += 2, from += 6, to += 4) {
            const YuvPixel left = yuvAt(from);
            const YuvPixel right = yuvAt(from + 3);
            to[0] = left.y;
            to[1] = mean2(left.u, right.u);
            to[2] = right.y;
            to[3] = mean2(left.v, right.v);
        }
    }
}

void rgbToNv12(const std::uint8_t* rgb, int width, int height, std::uint8_t* out) {
    const std::size_t stride = rowStride(width);
    const int rows = std::abs(height);
    const std::size_t lumaStride = static_cast<std::size_t>(width);
    std::uint8_t* chroma = out + lumaStride * static_cast<std::size_t>(rows);
    for (int y = 0; y < rows; y += 2) {
        const std::uint8_t* upper = pictureRow(rgb, stride, rows, height > 0, y);
        const std::uint8_t* lower = pictureRow(rgb, stride, rows, height > 0, y + 1);
        std::uint8_t* upperLuma = out + lumaStride * static_cast<std::size_t>(y);
        std::uint8_t* lowerLuma = upperLuma + lumaStride;
        std::uint8_t* uv = chroma + lumaStride * static_cast<std::size_t>(y / 2);
        for (int x = 0; x < width; x += 2) {
            const std::size_t at = static_cast<std::size_t>(x) * 3;
            const YuvPixel a = yuvAt(upper + at);
            const YuvPixel b = yuvAt(upper + at + 3);
            const YuvPixel c = yuvAt(lower + at);
            const YuvPixel d = yuvAt(lower + at + 3);
            upperLuma[x] = a.y;
            upperLuma[x + 1] = b.y;
            lowerLuma[x] = c.y;
            lowerLuma[x + 1] = d.y;
            uv[x] = mean4(a.u, b.u, c.u, d.u);
            uv[x + 1] = mean4(a.v, b.v, c.v, d.v);
        }
    }
}

void yuy2ToRgb(const std::uint8_t* in, int width, int height, std::uint8_t* rgb) {
    const std::size_t stride = rowStride(width);
    const std::size_t pixelBytes = static_cast<std::size_t>(width) * 3;
    const int rows = std::abs(height);
    for (int y = 0; y < rows; ++y) {
        const std::uint8_t* from =
            in + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 2;
        std::uint8_t* row = pictureRow(rgb, stride, rows, height > 0, y);
        std::uint8_t* to = row;
        for (int x = 0; x < width; x += 2, from += 4, to += 6) {
            putRgb(to, rgbOfYuv(YuvPixel{from[0], from[1], from[3]}));
            putRgb(to + 3, rgbOfYuv(YuvPixel{from[2], from[1], from[3]}));
        }
        std::memset(row + pixelBytes, 0, stride - pixelBytes);
    }
}

void nv12ToRgb(const std::uint8_t* in, int width, int height, std::uint8_t* rgb) {
    const std::size_t stride = rowStride(width);
    const std::size_t pixelBytes = static_cast<std::size_t>(width) * 3;
    const std::size_t lumaStride = static_cast<std::size_t>(width);
    const int rows = std::abs(height);
    const std::uint8_t* chroma = in + lumaStride * static_cast<std::size_t>(rows);
    for (int y = 0; y < rows; ++y) {
        const std::uint8_t* luma = in + lumaStride * static_cast<std::size_t>(y);
        const std::uint8_t* uv = chroma + lumaStride * static_cast<std::size_t>(y / 2);
        std::uint8_t* row = pictureRow(rgb, stride, rows, height > 0, y);
        for (int x = 0; x < width; ++x) {
            const int pair = x & ~1;
            putRgb(row + static_cast<std::size_t>(x) * 3,
                   rgbOfYuv(YuvPixel{luma[x], uv[pair], uv[pair + 1]}));
        }
        std::memset(row + pixelBytes, 0, stride - pixelBytes);
    }
}

} // namespace

YuvPixel yuvOfRgb(RgbPixel pixel) {
    const int r = pixel.red;
    const int g = pixel.green;
    const int b = pixel.blue;
    return YuvPixel{static_cast<std::uint8_t>(floorDiv256(66 * r + 129 * g + 25 * b + 128) + 16),
                    static_cast<std::uint8_t>(floorDiv256(-38 * r - 74 * g + 112 * b + 128) + 128),
                    static_cast<std::uint8_t>(floorDiv256(112 * r - 94 * g - 18 * b + 128) + 128)};
}

RgbPixel rgbOfYuv(YuvPixel pixel) {
    const int c = pixel.y - 16;
    const int d = pixel.u - 128;
    const int e = pixel.v - 128;
    return RgbPixel{clampByte(floorDiv256(298 * c + 409 * e + 128)),
                    clampByte(floorDiv256(298 * c - 100 * d - 208 * e + 128)),
                    clampByte(floorDiv256(298 * c + 516 * d + 128))};
}

void convertFromRgb24(Subtype to, const std::uint8_t* rgb, int width, int height,
                      std::uint8_t* out) {
    switch (to) {
    case Subtype::Rgb24:
        std::memcpy(out, rgb, frameSize(width, height));
        break;
    case Subtype::Yuy2:
        rgbToYuy2(rgb, width, height, out);
        break;
    case Subtype::Nv12:
        rgbToNv12(rgb, width, height, out);
        break;
    case Subtype::Mjpg:
        // Not a colour conversion: jpeg_codec.h compresses the picture.
        break;
    }
}

void convertToRgb24(Subtype from, const std::uint8_t* in, int width, int height,
                    std::uint8_t* rgb) {
    switch (from) {
    case Subtype::Rgb24:
        std::memcpy(rgb, in, frameSize(width, height));
        break;
    case Subtype::Yuy2:
        yuy2ToRgb(in, width, height, rgb);
        break;
    case Subtype::Nv12:
        nv12ToRgb(in, width, height, rgb);
        break;
    case Subtype::Mjpg:
        // Not a colour conversion: jpeg_codec.h decompresses a frame.
        break;
    }
}

} // namespace vcxcam
