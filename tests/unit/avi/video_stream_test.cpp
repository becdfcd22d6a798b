// Which video types the AVI writer's pins take, and the stream format chunk
// and frame interval it records for them.
#include "avi/video_stream.h"

#include <dshow.h>
#include <dvdmedia.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace {

struct TypeCase {
    const char* name;
    GUID major;
    GUID format;
    std::size_t blockBytes; // of the format block
    DWORD biSize;
    LONG width;
    LONG height;
    WORD bitCount;
    DWORD compression;
    REFERENCE_TIME interval;
    bool accepted;
    std::size_t strfBytes;
    REFERENCE_TIME recordedInterval;
};

constexpr DWORD kMjpg = MAKEFOURCC('M', 'J', 'P', 'G');
constexpr std::size_t kInfo = sizeof(VIDEOINFOHEADER);
constexpr std::size_t kInfo2 = sizeof(VIDEOINFOHEADER2);

class VideoStreamTest : public testing::TestWithParam<TypeCase> {};

INSTANTIATE_TEST_SUITE_P(
    Types, VideoStreamTest,
    testing::Values(TypeCase{"Rgb24", MEDIATYPE_Video, FORMAT_VideoInfo, kInfo, 40, 640, 480, 24,
                             BI_RGB, 333'333, true, 40, 333'333},
                    TypeCase{"TopDown", MEDIATYPE_Video, FORMAT_VideoInfo, kInfo, 40, 640, -480, 24,
                             BI_RGB, 333'333, true, 40, 333'333},
                    TypeCase{"Compressed", MEDIATYPE_Video, FORMAT_VideoInfo, kInfo, 40, 640, 480,
                             24, kMjpg, 400'000, true, 40, 400'000},
                    TypeCase{"HeaderExtension", MEDIATYPE_Video, FORMAT_VideoInfo, kInfo + 8, 44,
                             64, 48, 24, kMjpg, 333'333, true, 44, 333'333},
                    TypeCase{"PaletteWithinBlock", MEDIATYPE_Video, FORMAT_VideoInfo, kInfo + 1024,
                             40, 64, 48, 8, BI_RGB, 333'333, true, 40 + 1024, 333'333},
                    TypeCase{"PaletteCutAtBlock", MEDIATYPE_Video, FORMAT_VideoInfo, kInfo + 16, 40,
                             64, 48, 8, BI_RGB, 333'333, true, 40 + 16, 333'333},
                    TypeCase{"NoFrameRate", MEDIATYPE_Video, FORMAT_VideoInfo, kInfo, 40, 640, 480,
                             24, BI_RGB, 0, true, 40, 0},
                    TypeCase{"IntervalTooShort", MEDIATYPE_Video, FORMAT_VideoInfo, kInfo, 40, 64,
                             48, 24, BI_RGB, 9'999, true, 40, 0},
                    TypeCase{"VideoInfo2", MEDIATYPE_Video, FORMAT_VideoInfo2, kInfo2, 40, 640, 480,
                             24, BI_RGB, 333'333, true, 40, 333'333},
                    TypeCase{"VideoInfo2Mjpg", MEDIATYPE_Video, FORMAT_VideoInfo2, kInfo2, 40, 1920,
                             1080, 24, kMjpg, 0, true, 40, 0},
                    TypeCase{"VideoInfo2PaletteCut", MEDIATYPE_Video, FORMAT_VideoInfo2,
                             kInfo2 + 16, 40, 64, 48, 8, BI_RGB, 333'333, true, 40 + 16, 333'333},
                    TypeCase{"VideoInfo2ShortBlock", MEDIATYPE_Video, FORMAT_VideoInfo2, kInfo2 - 1,
                             40, 640, 480, 24, BI_RGB, 333'333, false, 0, 0},
                    TypeCase{"Audio", MEDIATYPE_Audio, FORMAT_VideoInfo, kInfo, 40, 640, 480, 24,
                             BI_RGB, 333'333, false, 0, 0},
                    TypeCase{"ShortBlock", MEDIATYPE_Video, FORMAT_VideoInfo, kInfo - 1, 40, 640,
                             480, 24, BI_RGB, 333'333, false, 0, 0},
                    TypeCase{"HeaderPastBlock", MEDIATYPE_Video, FORMAT_VideoInfo, kInfo, 44, 640,
                             480, 24, BI_RGB, 333'333, false, 0, 0},
                    TypeCase{"ShortHeader", MEDIATYPE_Video, FORMAT_VideoInfo, kInfo, 36, 640, 480,
                             24, BI_RGB, 333'333, false, 0, 0},
                    TypeCase{"NoWidth", MEDIATYPE_Video, FORMAT_VideoInfo, kInfo, 40, 0, 480, 24,
                             BI_RGB, 333'333, false, 0, 0},
                    TypeCase{"NoHeight", MEDIATYPE_Video, FORMAT_VideoInfo, kInfo, 40, 640, 0, 24,
                             BI_RGB, 333'333, false, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(VideoStreamTest, TakesVideoInfoAndVideoInfo2TypesOnly) {
    const TypeCase& c = GetParam();
    // The block is laid out as the format type says (a VIDEOINFOHEADER for
    // others); both keep AvgTimePerFrame at the same place.
    std::vector<BYTE> block(std::max(c.blockBytes, kInfo2) + 8, 0x5A);
    std::fill_n(block.begin(), kInfo2, 0);
    *reinterpret_cast<REFERENCE_TIME*>(&block[offsetof(VIDEOINFOHEADER, AvgTimePerFrame)]) =
        c.interval;
    const std::size_t headerAt = c.format == FORMAT_VideoInfo2
                                     ? offsetof(VIDEOINFOHEADER2, bmiHeader)
                                     : offsetof(VIDEOINFOHEADER, bmiHeader);
    auto& header = *reinterpret_cast<BITMAPINFOHEADER*>(&block[headerAt]);
    header.biSize = c.biSize;
    header.biWidth = c.width;
    header.biHeight = c.height;
    header.biPlanes = 1;
    header.biBitCount = c.bitCount;
    header.biCompression = c.compression;
    AM_MEDIA_TYPE type{};
    type.majortype = c.major;
    type.subtype = MEDIASUBTYPE_RGB24;
    type.formattype = c.format;
    type.cbFormat = static_cast<ULONG>(c.blockBytes);
    type.pbFormat = block.data();

    const std::optional<vcx::avi::VideoStream> stream = vcx::avi::readVideoStream(type);
    ASSERT_EQ(stream.has_value(), c.accepted);
    if (!c.accepted) {
        return;
    }
    const auto first = block.begin() + static_cast<std::ptrdiff_t>(headerAt);
    EXPECT_EQ(stream->bitmapInfo,
              std::vector<BYTE>(first, first + static_cast<std::ptrdiff_t>(c.strfBytes)));
    EXPECT_EQ(stream->compression, c.compression);
    EXPECT_EQ(stream->width, c.width);
    EXPECT_EQ(stream->height, c.height < 0 ? -c.height : c.height);
    EXPECT_EQ(stream->frameInterval, c.recordedInterval);
}

} // namespace
