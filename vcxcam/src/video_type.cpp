#include "video_type.h"

#include "subtype.h"

#include <amvideo.h>
#include <dvdmedia.h>
#include <uuids.h>
#include <vfwmsgs.h>

#include <cstdlib>
#include <numeric>

namespace vcxcam {

namespace {

void fillBitmapHeader(BITMAPINFOHEADER& header, const Capability& cap) {
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = cap.width;
    header.biHeight = cap.height;
    header.biPlanes = 1;
    header.biBitCount = subtypeBitCount(cap.subtype);
    header.biCompression = subtypeCompression(cap.subtype);
    header.biSizeImage = static_cast<DWORD>(frameBytes(cap.subtype, cap.width, cap.height));
}

DWORD bitRate(const Capability& cap) {
    const double bits = static_cast<double>(frameBytes(cap.subtype, cap.width, cap.height)) * 8.0 *
                        1e7 / static_cast<double>(cap.frameInterval);
    return bits >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<DWORD>(bits);
}

template <class Header> Header* allocFormat(AM_MEDIA_TYPE& type) {
    auto* header = static_cast<Header*>(CoTaskMemAlloc(sizeof(Header)));
    if (header != nullptr) {
        *header = Header{};
        type.pbFormat = reinterpret_cast<BYTE*>(header);
        type.cbFormat = sizeof(Header);
    }
    return header;
}

} // namespace

HRESULT makeVideoType(const Capability& cap, filterbase::MediaType& out) {
    AM_MEDIA_TYPE type{};
    type.majortype = MEDIATYPE_Video;
    type.subtype = subtypeGuid(cap.subtype);
    type.bFixedSizeSamples = fixedFrameSize(cap.subtype) ? TRUE : FALSE;
    type.bTemporalCompression = FALSE;
    type.lSampleSize = static_cast<ULONG>(frameBytes(cap.subtype, cap.width, cap.height));
    if (cap.videoInfo2) {
        type.formattype = FORMAT_VideoInfo2;
        auto* header = allocFormat<VIDEOINFOHEADER2>(type);
        if (header == nullptr) {
            return E_OUTOFMEMORY;
        }
        header->dwBitRate = bitRate(cap);
        header->AvgTimePerFrame = cap.frameInterval;
        const int rows = std::abs(cap.height);
        const int divisor = std::gcd(cap.width, rows);
        header->dwPictAspectRatioX = static_cast<DWORD>(cap.width / divisor);
        header->dwPictAspectRatioY = static_cast<DWORD>(rows / divisor);
        fillBitmapHeader(header->bmiHeader, cap);
    } else {
        type.formattype = FORMAT_VideoInfo;
        auto* header = allocFormat<VIDEOINFOHEADER>(type);
        if (header == nullptr) {
            return E_OUTOFMEMORY;
        }
        header->dwBitRate = bitRate(cap);
        header->AvgTimePerFrame = cap.frameInterval;
        fillBitmapHeader(header->bmiHeader, cap);
    }
    out.adopt(type);
    return S_OK;
}

std::optional<Capability> readVideoType(const AM_MEDIA_TYPE& type, DWORD* imageSize) {
    const std::optional<Subtype> subtype = subtypeOfGuid(type.subtype);
    if (type.majortype != MEDIATYPE_Video || !subtype || type.pbFormat == nullptr) {
        return std::nullopt;
    }
    Capability cap;
    cap.subtype = *subtype;
    const BITMAPINFOHEADER* header = nullptr;
    if (type.formattype == FORMAT_VideoInfo && type.cbFormat >= sizeof(VIDEOINFOHEADER)) {
        const auto* info = reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat);
        cap.frameInterval = info->AvgTimePerFrame;
        header = &info->bmiHeader;
    } else if (type.formattype == FORMAT_VideoInfo2 && type.cbFormat >= sizeof(VIDEOINFOHEADER2)) {
        const auto* info = reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat);
        cap.frameInterval = info->AvgTimePerFrame;
        cap.videoInfo2 = true;
        header = &info->bmiHeader;
    } else {
        return std::nullopt;
    }
    if (header->biBitCount != subtypeBitCount(cap.subtype) ||
        header->biCompression != subtypeCompression(cap.subtype) || header->biWidth <= 0 ||
        header->biWidth > kMaxDimension || header->biHeight == 0 ||
        header->biHeight < -kMaxDimension || header->biHeight > kMaxDimension ||
        !subtypeHoldsSize(cap.subtype, header->biWidth, header->biHeight)) {
        return std::nullopt;
    }
    cap.width = header->biWidth;
    cap.height = header->biHeight;
    if (imageSize != nullptr) {
        *imageSize = header->biSizeImage;
    }
    return cap;
}

long videoSampleBytes(const AM_MEDIA_TYPE& type) {
    const std::optional<Capability> format = readVideoType(type);
    return format ? static_cast<long>(frameBytes(format->subtype, format->width, format->height))
                  : 0;
}

HRESULT makeRgb24TypeFor(const AM_MEDIA_TYPE& input, filterbase::MediaType& out) {
    const std::optional<Capability> format = readVideoType(input);
    if (!format) {
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    return makeVideoType(
        Capability{format->width, format->height, format->frameInterval, false, Subtype::Rgb24},
        out);
}

} // namespace vcxcam
