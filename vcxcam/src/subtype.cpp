#include "subtype.h"

#include "picture.h"

#include <uuids.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace vcxcam {

namespace {

struct SubtypeFacts {
    Subtype subtype;
    std::wstring_view name;
    const GUID* guid;
    DWORD compression;
    WORD bitCount;
};

constexpr DWORD fourcc(char a, char b, char c, char d) {
    return static_cast<DWORD>(static_cast<unsigned char>(a)) |
           static_cast<DWORD>(static_cast<unsigned char>(b)) << 8 |
           static_cast<DWORD>(static_cast<unsigned char>(c)) << 16 |
           static_cast<DWORD>(static_cast<unsigned char>(d)) << 24;
}

const SubtypeFacts kFacts[] = {
    {Subtype::Rgb24, L"RGB24", &MEDIASUBTYPE_RGB24, BI_RGB, 24},
    {Subtype::Yuy2, L"YUY2", &MEDIASUBTYPE_YUY2, fourcc('Y', 'U', 'Y', '2'), 16},
    {Subtype::Nv12, L"NV12", &MEDIASUBTYPE_NV12, fourcc('N', 'V', '1', '2'), 12},
    {Subtype::Mjpg, L"MJPG", &MEDIASUBTYPE_MJPG, fourcc('M', 'J', 'P', 'G'), 24},
};

// Room beyond the picture's own size for a JPEG's headers and tables.
constexpr std::size_t kJpegHeadroom = 4096;

const SubtypeFacts& factsOf(Subtype subtype) {
    return *std::find_if(std::begin(kFacts), std::end(kFacts),
                         [subtype](const SubtypeFacts& facts) { return facts.subtype == subtype; });
}

} // namespace

std::optional<Subtype> subtypeNamed(std::wstring_view name) {
    for (const SubtypeFacts& facts : kFacts) {
        if (CompareStringOrdinal(name.data(), static_cast<int>(name.size()), facts.name.data(),
                                 static_cast<int>(facts.name.size()), TRUE) == CSTR_EQUAL) {
            return facts.subtype;
        }
    }
    return std::nullopt;
}

const GUID& subtypeGuid(Subtype subtype) {
    return *factsOf(subtype).guid;
}

std::optional<Subtype> subtypeOfGuid(const GUID& guid) {
    for (const SubtypeFacts& facts : kFacts) {
        if (*facts.guid == guid) {
            return facts.subtype;
        }
    }
    return std::nullopt;
}

DWORD subtypeCompression(Subtype subtype) {
    return factsOf(subtype).compression;
}

WORD subtypeBitCount(Subtype subtype) {
    return factsOf(subtype).bitCount;
}

bool subtypeHoldsSize(Subtype subtype, int width, int height) {
    switch (subtype) {
    case Subtype::Rgb24:
        return true;
    case Subtype::Yuy2:
        return width % 2 == 0 && height > 0;
    case Subtype::Nv12:
        return width % 4 == 0 && height > 0 && height % 2 == 0;
    case Subtype::Mjpg:
        return height > 0;
    }
    return false;
}

std::size_t frameBytes(Subtype subtype, int width, int height) {
    const std::size_t pixels =
        static_cast<std::size_t>(width) * static_cast<std::size_t>(std::abs(height));
    switch (subtype) {
    case Subtype::Rgb24:
        return frameSize(width, height);
    case Subtype::Yuy2:
        return pixels * 2;
    case Subtype::Nv12:
        return pixels * 3 / 2;
    case Subtype::Mjpg:
        return frameSize(width, height) + kJpegHeadroom;
    }
    return 0;
}

bool fixedFrameSize(Subtype subtype) {
    return subtype != Subtype::Mjpg;
}

} // namespace vcxcam
