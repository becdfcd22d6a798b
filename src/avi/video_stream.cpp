#include "avi/video_stream.h"

#include <dshow.h>
#include <dvdmedia.h>

#include <climits>
#include <cstddef>
#include <cstdlib>

namespace vcx::avi {

namespace {

// Bytes of the color table (or the three bit masks) after the header.
std::size_t colorTableBytes(const BITMAPINFOHEADER& header) {
    if (header.biCompression == BI_BITFIELDS) {
        return 3 * sizeof(DWORD);
    }
    std::size_t entries = header.biClrUsed;
    if (entries == 0 && header.biBitCount <= 8) {
        entries = std::size_t{1} << header.biBitCount;
    }
    return entries * sizeof(RGBQUAD);
}

// Where the format block of type keeps its bitmap header and frame
// interval, or nothing for a block of another kind or too short.
struct VideoBlock {
    std::size_t headerOffset;
    REFERENCE_TIME interval;
};

std::optional<VideoBlock> findVideoBlock(const AM_MEDIA_TYPE& type) {
    if (type.majortype != MEDIATYPE_Video || type.pbFormat == nullptr) {
        return std::nullopt;
    }
    if (type.formattype == FORMAT_VideoInfo && type.cbFormat >= sizeof(VIDEOINFOHEADER)) {
        const auto& info = *reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat);
        return VideoBlock{offsetof(VIDEOINFOHEADER, bmiHeader), info.AvgTimePerFrame};
    }
    if (type.formattype == FORMAT_VideoInfo2 && type.cbFormat >= sizeof(VIDEOINFOHEADER2)) {
        const auto& info = *reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat);
        return VideoBlock{offsetof(VIDEOINFOHEADER2, bmiHeader), info.AvgTimePerFrame};
    }
    return std::nullopt;
}

} // namespace

std::optional<VideoStream> readVideoStream(const AM_MEDIA_TYPE& type) {
    const std::optional<VideoBlock> block = findVideoBlock(type);
    if (!block) {
        return std::nullopt;
    }
    const auto& header =
        *reinterpret_cast<const BITMAPINFOHEADER*>(type.pbFormat + block->headerOffset);
    const std::size_t available = type.cbFormat - block->headerOffset;
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biSize > available ||
        header.biWidth <= 0 || header.biHeight == 0 || header.biHeight == LONG_MIN) {
        return std::nullopt;
    }
    std::size_t bytes = header.biSize + colorTableBytes(header);
    if (bytes > available) {
        bytes = available;
    }
    VideoStream stream;
    const auto* first = reinterpret_cast<const std::uint8_t*>(&header);
    stream.bitmapInfo.assign(first, first + bytes);
    stream.compression = header.biCompression;
    stream.width = header.biWidth;
    stream.height = std::labs(header.biHeight);
    stream.frameInterval = block->interval >= kMinFrameInterval ? block->interval : 0;
    return stream;
}

} // namespace vcx::avi
