#include "config/video_format.h"

#include <amvideo.h>
#include <dvdmedia.h>
#include <uuids.h>

#include <cstdio>
#include <cstring>

namespace vcx {
namespace {

static_assert(sizeof(VIDEOINFOHEADER2) == 112);

// The FourCC family's GUID with Data1 0.
constexpr GUID kFourccBase = {
    0x00000000, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

struct NamedGuid {
    const GUID* guid;
    const char* name;
};

const NamedGuid kRgbSubtypes[] = {
    {&MEDIASUBTYPE_RGB1, "RGB1"},     {&MEDIASUBTYPE_RGB4, "RGB4"},
    {&MEDIASUBTYPE_RGB8, "RGB8"},     {&MEDIASUBTYPE_RGB555, "RGB555"},
    {&MEDIASUBTYPE_RGB565, "RGB565"}, {&MEDIASUBTYPE_RGB24, "RGB24"},
    {&MEDIASUBTYPE_RGB32, "RGB32"},   {&MEDIASUBTYPE_ARGB32, "ARGB32"},
};

std::string guidText(const GUID& guid) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                  guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                  guid.Data4[6], guid.Data4[7]);
    return text;
}

template <class Info> VideoFormat formatOf(const Info& info) {
    return {info.bmiHeader.biWidth, info.bmiHeader.biHeight, info.bmiHeader.biBitCount,
            info.bmiHeader.biCompression, info.AvgTimePerFrame};
}

bool hasBlock(const AM_MEDIA_TYPE& type, const GUID& formatType, std::size_t size) {
    return type.formattype == formatType && type.pbFormat != nullptr && type.cbFormat >= size;
}

} // namespace

std::optional<VideoFormat> readVideoFormat(const AM_MEDIA_TYPE& type) {
    if (hasBlock(type, FORMAT_VideoInfo, sizeof(VIDEOINFOHEADER))) {
        return formatOf(*reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat));
    }
    if (hasBlock(type, FORMAT_VideoInfo2, sizeof(VIDEOINFOHEADER2))) {
        return formatOf(*reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat));
    }
    return std::nullopt;
}

REFERENCE_TIME* frameIntervalField(AM_MEDIA_TYPE& type) {
    if (hasBlock(type, FORMAT_VideoInfo, sizeof(VIDEOINFOHEADER))) {
        return &reinterpret_cast<VIDEOINFOHEADER*>(type.pbFormat)->AvgTimePerFrame;
    }
    if (hasBlock(type, FORMAT_VideoInfo2, sizeof(VIDEOINFOHEADER2))) {
        return &reinterpret_cast<VIDEOINFOHEADER2*>(type.pbFormat)->AvgTimePerFrame;
    }
    return nullptr;
}

double framesPerSecondOf(REFERENCE_TIME interval) {
    return interval > 0 ? 10000000.0 / static_cast<double>(interval) : 0.0;
}

std::optional<DWORD> subtypeFourcc(const GUID& subtype) {
    GUID base = subtype;
    base.Data1 = 0;
    if (base != kFourccBase) {
        return std::nullopt;
    }
    return subtype.Data1;
}

std::string subtypeName(const GUID& subtype) {
    for (const NamedGuid& rgb : kRgbSubtypes) {
        if (*rgb.guid == subtype) {
            return rgb.name;
        }
    }
    if (const std::optional<DWORD> fourcc = subtypeFourcc(subtype)) {
        std::string name(4, ' ');
        bool readable = true;
        for (int i = 0; i < 4; ++i) {
            const char c = static_cast<char>((*fourcc >> (8 * i)) & 0xFF);
            readable = readable && c >= 0x20 && c <= 0x7E && c != ',';
            name[static_cast<std::size_t>(i)] = c;
        }
        if (readable) {
            return name;
        }
    }
    return guidText(subtype);
}

std::string formatTypeName(const GUID& formatType) {
    if (formatType == FORMAT_VideoInfo) {
        return "VideoInfo";
    }
    if (formatType == FORMAT_VideoInfo2) {
        return "VideoInfo2";
    }
    return guidText(formatType);
}

} // namespace vcx
