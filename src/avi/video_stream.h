// The video stream an AVI file records, read from the media type its writer
// is connected with: any MEDIATYPE_Video type with a FORMAT_VideoInfo or
// FORMAT_VideoInfo2 block whose BITMAPINFOHEADER lies within it,
// uncompressed or not (MJPG frames are recorded as they come).
#pragma once

#include <windows.h>
#include <strmif.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace vcx::avi {

struct VideoStream {
    // The stream format chunk: the BITMAPINFOHEADER with the bytes its biSize
    // adds and its color table or bit masks, as far as the format block holds them.
    std::vector<std::uint8_t> bitmapInfo;
    DWORD compression = 0; // biCompression, the stream's handler
    LONG width = 0;
    LONG height = 0; // |biHeight|
    // Duration of one frame in 100 ns units as the type gives it; 0 when it
    // gives none, or one shorter than kMinFrameInterval: the samples' times
    // then tell the rate.
    REFERENCE_TIME frameInterval = 0;
};

// The shortest frame interval taken from a type (1000 frames per second).
constexpr REFERENCE_TIME kMinFrameInterval = 10'000;

// The stream type describes, or nothing when the writer does not take it.
// Throws std::bad_alloc.
std::optional<VideoStream> readVideoStream(const AM_MEDIA_TYPE& type);

} // namespace vcx::avi
