// Which media types the AVI writer's pin takes, and the stream format chunk
// and frame rate it records for them.
#include "avi/video_stream.h"

#include <dshow.h>
#include <dvdmedia.h>
#include <gtest/gtest.h>

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
                             24, BI_RGB, 0, true, 40, 333'333},
                    TypeCase{"VideoInfo2", MEDIATYPE_Video, FORMAT_VideoInfo2,
                             sizeof(VIDEOINFOHEADER2), 40, 640, 480, 24, BI_RGB, 333'333, false, 0,
                             0},
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

TEST_P(VideoStreamTest, TakesVideoInfoTypesOnly) {
    const TypeCase& c = GetParam();
    // The block is laid out as a VIDEOINFOHEADER whatever its format type says.
    std::vector<BYTE> block(std::max(c.blockBytes, sizeof(VIDEOINFOHEADER2)) + 8, 0x5A);
    auto& info = *reinterpret_cast<VIDEOINFOHEADER*>(block.data());
    info = VIDEOINFOHEADER{};
    info.AvgTimePerFrame = c.interval;
    info.bmiHeader.biSize = c.biSize;
    info.bmiHeader.biWidth = c.width;
    info.bmiHeader.biHeight = c.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = c.bitCount;
    info.bmiHeader.biCompression = c.compression;
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
    const BYTE* header = reinterpret_cast<const BYTE*>(&info.bmiHeader);
    EXPECT_EQ(stream->bitmapInfo, std::vector<BYTE>(header, header + c.strfBytes));
    EXPECT_EQ(stream->compression, c.compression);
    EXPECT_EQ(stream->width, c.width);
    EXPECT_EQ(stream->height, c.height < 0 ? -c.height : c.height);
    EXPECT_EQ(stream->frameInterval, c.recordedInterval);
}

} // namespace
