#include "avi/video_stream.h"

#include <dshow.h>

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

} // namespace

std::optional<VideoStream> readVideoStream(const AM_MEDIA_TYPE& type) {
    if (type.majortype != MEDIATYPE_Video || type.formattype != FORMAT_VideoInfo ||
        type.pbFormat == nullptr || type.cbFormat < sizeof(VIDEOINFOHEADER)) {
        return std::nullopt;
    }
    const auto& info = *reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat);
    const BITMAPINFOHEADER& header = info.bmiHeader;
    const std::size_t available = type.cbFormat - offsetof(VIDEOINFOHEADER, bmiHeader);
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
    stream.frameInterval = info.AvgTimePerFrame > 0 ? info.AvgTimePerFrame : kDefaultFrameInterval;
    return stream;
}

} // namespace vcx::avi
