// What a video media type says about its format, for the capability list and
// the format in use: its subtype, the format type, and the size, bit count,
// compression and frame interval of a VIDEOINFOHEADER or VIDEOINFOHEADER2
// block; and the names the lists give subtypes and format types.
#pragma once

#include <windows.h>
#include <strmif.h>

#include <cstdint>
#include <optional>
#include <string>

namespace vcx {

struct VideoFormat {
    int32_t width = 0;
    int32_t height = 0; // negative for a top-down picture
    int32_t bitCount = 0;
    DWORD compression = 0;            // biCompression: BI_RGB or a FourCC
    REFERENCE_TIME frameInterval = 0; // AvgTimePerFrame, 100 ns units
};

// The format of a type with a FORMAT_VideoInfo block of at least 88 bytes or
// a FORMAT_VideoInfo2 block of at least 112; nothing for any other type.
std::optional<VideoFormat> readVideoFormat(const AM_MEDIA_TYPE& type);

// AvgTimePerFrame of such a block, to be written; null for any other type.
REFERENCE_TIME* frameIntervalField(AM_MEDIA_TYPE& type);

// Frames per second of a frame interval; 0 for an interval of 0 or less
// (a device that reports no rate).
double framesPerSecondOf(REFERENCE_TIME interval);

// The FourCC of a subtype of the FourCC family
// ({XXXXXXXX-0000-0010-8000-00AA00389B71}, XXXXXXXX the FourCC); nothing for
// any other subtype (the RGB subtypes among them).
std::optional<DWORD> subtypeFourcc(const GUID& subtype);

// A subtype as the capability list names it: RGB1, RGB4, RGB8, RGB555,
// RGB565, RGB24, RGB32 or ARGB32; the FourCC's four characters for the FourCC
// family (YUY2, NV12, MJPG, H264, ...) when they are printable and hold no
// comma; else the GUID as {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
std::string subtypeName(const GUID& subtype);

// A format type as the capability list names it: VideoInfo, VideoInfo2, or
// the GUID as above.
std::string formatTypeName(const GUID& formatType);

} // namespace vcx
