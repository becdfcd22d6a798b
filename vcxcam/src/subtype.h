// The pixel formats a camera can stream: RGB24, the test picture as drawn;
// YUY2 and NV12, the picture converted by colour_conversion.h; MJPG, the
// picture compressed by jpeg_codec.h. What each is called in a Formats line,
// its media subtype, FourCC and bit count, which sizes it can hold and how
// many bytes one frame takes (for MJPG: at most).
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string_view>

namespace vcxcam {

enum class Subtype {
    Rgb24, // rows of blue, green, red bytes padded to 4 bytes; bottom-up or top-down
    Yuy2,  // 4:2:2, Y0 U Y1 V for each pair of pixels; top-down
    Nv12,  // 4:2:0, the Y plane, then one row of U V pairs for each two rows; top-down
    Mjpg,  // each frame a JPEG of the picture (jpeg_codec.h), of its own length
};

// The subtype a Formats line names: "RGB24", "YUY2", "NV12" or "MJPG" in any
// case.
std::optional<Subtype> subtypeNamed(std::wstring_view name);

// MEDIASUBTYPE_RGB24, _YUY2, _NV12 or _MJPG, and back.
const GUID& subtypeGuid(Subtype subtype);
std::optional<Subtype> subtypeOfGuid(const GUID& guid);

// biCompression: BI_RGB for RGB24, the FourCC otherwise.
DWORD subtypeCompression(Subtype subtype);
// biBitCount: 24, 16, 12 and 24.
WORD subtypeBitCount(Subtype subtype);

// Whether a picture of this width and height (negative: top-down) can be
// stored in subtype: any for RGB24; YUY2 needs an even width, NV12 a width
// that is a multiple of 4 and an even height, and both a positive height
// (their pictures are always top-down; their rows then need no padding);
// MJPG a positive height (a JPEG is always upright).
bool subtypeHoldsSize(Subtype subtype, int width, int height);

// Bytes of one frame: rowStride(width) x |height| for RGB24, 2 x width x
// height for YUY2, width x height x 3 / 2 for NV12; for MJPG the most one
// frame may take, rowStride(width) x height + 4096 (the camera's frames take
// far less), and each sample carries its own length.
std::size_t frameBytes(Subtype subtype, int width, int height);

// Whether every frame of subtype takes frameBytes (false for MJPG).
bool fixedFrameSize(Subtype subtype);

} // namespace vcxcam
