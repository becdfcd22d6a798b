// The media types the camera offers in its three subtypes, and reading a type
// back.
#include "video_type.h"

#include "picture.h"

#include <gtest/gtest.h>

#include <amvideo.h>
#include <dvdmedia.h>
#include <uuids.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

using filterbase::MediaType;
using vcxcam::Capability;
using vcxcam::Subtype;

TEST(VideoType, VideoInfoTypeDescribesTheCapabilityExactly) {
    filterbase::MediaType type;
    ASSERT_EQ(vcxcam::makeVideoType(Capability{641, -479, 333667, false}, type), S_OK);
    EXPECT_EQ(type->majortype, MEDIATYPE_Video);
    EXPECT_EQ(type->subtype, MEDIASUBTYPE_RGB24);
    EXPECT_EQ(type->formattype, FORMAT_VideoInfo);
    EXPECT_TRUE(type->bFixedSizeSamples);
    EXPECT_FALSE(type->bTemporalCompression);
    EXPECT_EQ(type->lSampleSize, vcxcam::frameSize(641, 479));
    ASSERT_EQ(type->cbFormat, sizeof(VIDEOINFOHEADER));
    const auto* info = reinterpret_cast<const VIDEOINFOHEADER*>(type->pbFormat);
    EXPECT_EQ(info->AvgTimePerFrame, 333667);
    EXPECT_EQ(info->bmiHeader.biSize, sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(info->bmiHeader.biWidth, 641);
    EXPECT_EQ(info->bmiHeader.biHeight, -479);
    EXPECT_EQ(info->bmiHeader.biPlanes, 1);
    EXPECT_EQ(info->bmiHeader.biBitCount, 24);
    EXPECT_EQ(info->bmiHeader.biCompression, static_cast<DWORD>(BI_RGB));
    // 641 * 3 = 1923 bytes, padded to 1924.
    EXPECT_EQ(info->bmiHeader.biSizeImage, 1924u * 479u);
    EXPECT_EQ(info->dwBitRate, static_cast<DWORD>(1924.0 * 479 * 8 * 1e7 / 333667));
}

TEST(VideoType, Vi2CapabilityGetsVideoInfo2WithPictureAspectRatio) {
    filterbase::MediaType type;
    ASSERT_EQ(vcxcam::makeVideoType(Capability{1280, 720, 166667, true}, type), S_OK);
    EXPECT_EQ(type->formattype, FORMAT_VideoInfo2);
    ASSERT_EQ(type->cbFormat, sizeof(VIDEOINFOHEADER2));
    const auto* info = reinterpret_cast<const VIDEOINFOHEADER2*>(type->pbFormat);
    EXPECT_EQ(info->AvgTimePerFrame, 166667);
    EXPECT_EQ(info->dwPictAspectRatioX, 16u);
    EXPECT_EQ(info->dwPictAspectRatioY, 9u);
    EXPECT_EQ(info->bmiHeader.biWidth, 1280);
    EXPECT_EQ(info->bmiHeader.biHeight, 720);
    EXPECT_EQ(info->bmiHeader.biSizeImage, 1280u * 3 * 720);
}

TEST(VideoType, ReadsBackWhatItMakes) {
    for (const Capability& cap :
         {Capability{320, 240, 333333, false}, Capability{7, -3, 1, true}}) {
        filterbase::MediaType type;
        ASSERT_EQ(vcxcam::makeVideoType(cap, type), S_OK);
        DWORD imageSize = 0;
        const auto read = vcxcam::readVideoType(type.get(), &imageSize);
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(*read, cap);
        EXPECT_EQ(imageSize, vcxcam::frameSize(cap.width, cap.height));
    }
}

struct SubtypeTypeCase {
    const char* name;
    Capability cap;
    const GUID* subtype;
    WORD bitCount;
    DWORD compression;
    DWORD imageSize;
};

class SubtypeVideoType : public testing::TestWithParam<SubtypeTypeCase> {};

INSTANTIATE_TEST_SUITE_P(Subtypes, SubtypeVideoType,
                         testing::Values(SubtypeTypeCase{"Rgb24",
                                                         {162, 120, 333333, false, Subtype::Rgb24},
                                                         &MEDIASUBTYPE_RGB24,
                                                         24,
                                                         BI_RGB,
                                                         488 * 120},
                                         SubtypeTypeCase{"Yuy2",
                                                         {162, 120, 333333, false, Subtype::Yuy2},
                                                         &MEDIASUBTYPE_YUY2,
                                                         16,
                                                         0x32595559,
                                                         162 * 2 * 120},
                                         SubtypeTypeCase{"Nv12",
                                                         {164, 120, 333333, true, Subtype::Nv12},
                                                         &MEDIASUBTYPE_NV12,
                                                         12,
                                                         0x3231564E,
                                                         164 * 120 * 3 / 2},
                                         // At most the picture and 4096 bytes of headers.
                                         SubtypeTypeCase{"Mjpg",
                                                         {162, 120, 333333, true, Subtype::Mjpg},
                                                         &MEDIASUBTYPE_MJPG,
                                                         24,
                                                         0x47504A4D,
                                                         488 * 120 + 4096}),
                         [](const auto& info) { return std::string(info.param.name); });

// The FourCC is what vcx_GetCapInfo(5) reports of a camera; the image size
// is what a sample must hold.
TEST_P(SubtypeVideoType, CarriesTheSubtypesFourccBitCountAndFrameSize) {
    const SubtypeTypeCase& c = GetParam();
    filterbase::MediaType type;
    ASSERT_EQ(vcxcam::makeVideoType(c.cap, type), S_OK);
    EXPECT_EQ(type->subtype, *c.subtype);
    EXPECT_EQ(type->lSampleSize, c.imageSize);
    const BITMAPINFOHEADER& header =
        c.cap.videoInfo2 ? reinterpret_cast<const VIDEOINFOHEADER2*>(type->pbFormat)->bmiHeader
                         : reinterpret_cast<const VIDEOINFOHEADER*>(type->pbFormat)->bmiHeader;
    EXPECT_EQ(header.biBitCount, c.bitCount);
    EXPECT_EQ(header.biCompression, c.compression);
    EXPECT_EQ(header.biSizeImage, c.imageSize);
    EXPECT_EQ(type->bFixedSizeSamples, c.cap.subtype == Subtype::Mjpg ? FALSE : TRUE);
    EXPECT_EQ(vcxcam::frameBytes(c.cap.subtype, c.cap.width, c.cap.height), c.imageSize);
    DWORD imageSize = 0;
    EXPECT_EQ(vcxcam::readVideoType(type.get(), &imageSize), c.cap);
    EXPECT_EQ(imageSize, c.imageSize);
}

TEST(VideoType, RefusesYuvTypesItCannotDescribe) {
    const auto readBack = [](Subtype subtype, auto change) {
        filterbase::MediaType made;
        EXPECT_EQ(vcxcam::makeVideoType(Capability{320, 240, 333333, false, subtype}, made), S_OK);
        filterbase::MediaType copy;
        EXPECT_EQ(copy.copyFrom(made.get()), S_OK);
        AM_MEDIA_TYPE type = copy.get();
        change(type, reinterpret_cast<VIDEOINFOHEADER*>(type.pbFormat)->bmiHeader);
        return vcxcam::readVideoType(type).has_value();
    };
    const auto unchanged = [](AM_MEDIA_TYPE&, BITMAPINFOHEADER&) {};
    EXPECT_TRUE(readBack(Subtype::Yuy2, unchanged));
    EXPECT_TRUE(readBack(Subtype::Nv12, unchanged));
    EXPECT_FALSE(
        readBack(Subtype::Yuy2, [](AM_MEDIA_TYPE&, BITMAPINFOHEADER& h) { h.biBitCount = 24; }));
    EXPECT_FALSE(
        readBack(Subtype::Nv12, [](AM_MEDIA_TYPE&, BITMAPINFOHEADER& h) { h.biBitCount = 16; }));
    EXPECT_FALSE(readBack(Subtype::Yuy2, [](AM_MEDIA_TYPE&, BITMAPINFOHEADER& h) {
        h.biCompression = 0x3231564E; // NV12 in a YUY2 type
    }));
    EXPECT_FALSE(readBack(
        Subtype::Yuy2, [](AM_MEDIA_TYPE& t, BITMAPINFOHEADER&) { t.subtype = MEDIASUBTYPE_UYVY; }));
    EXPECT_FALSE(
        readBack(Subtype::Yuy2, [](AM_MEDIA_TYPE&, BITMAPINFOHEADER& h) { h.biHeight = -240; }));
    EXPECT_FALSE(
        readBack(Subtype::Yuy2, [](AM_MEDIA_TYPE&, BITMAPINFOHEADER& h) { h.biWidth = 321; }));
    EXPECT_FALSE(
        readBack(Subtype::Nv12, [](AM_MEDIA_TYPE&, BITMAPINFOHEADER& h) { h.biWidth = 322; }));
    EXPECT_FALSE(
        readBack(Subtype::Nv12, [](AM_MEDIA_TYPE&, BITMAPINFOHEADER& h) { h.biHeight = 241; }));
    // The most negative height has no positive counterpart.
    EXPECT_FALSE(readBack(Subtype::Rgb24,
                          [](AM_MEDIA_TYPE&, BITMAPINFOHEADER& h) { h.biHeight = LONG_MIN; }));
}

TEST(VideoType, RefusesTypesItCannotDescribe) {
    filterbase::MediaType good;
    ASSERT_EQ(vcxcam::makeVideoType(Capability{320, 240, 333333, false}, good), S_OK);
    const auto variant = [&](auto change) {
        filterbase::MediaType copy;
        EXPECT_EQ(copy.copyFrom(good.get()), S_OK);
        AM_MEDIA_TYPE type = copy.get();
        auto* info = reinterpret_cast<VIDEOINFOHEADER*>(type.pbFormat);
        change(type, *info);
        return vcxcam::readVideoType(type).has_value();
    };
    EXPECT_TRUE(variant([](AM_MEDIA_TYPE&, VIDEOINFOHEADER&) {}));
    EXPECT_FALSE(
        variant([](AM_MEDIA_TYPE& t, VIDEOINFOHEADER&) { t.majortype = MEDIATYPE_Audio; }));
    EXPECT_FALSE(
        variant([](AM_MEDIA_TYPE& t, VIDEOINFOHEADER&) { t.subtype = MEDIASUBTYPE_RGB32; }));
    EXPECT_FALSE(
        variant([](AM_MEDIA_TYPE& t, VIDEOINFOHEADER&) { t.formattype = FORMAT_VideoInfo2; }));
    EXPECT_FALSE(variant(
        [](AM_MEDIA_TYPE& t, VIDEOINFOHEADER&) { t.cbFormat = sizeof(VIDEOINFOHEADER) - 1; }));
    EXPECT_FALSE(variant([](AM_MEDIA_TYPE& t, VIDEOINFOHEADER&) { t.pbFormat = nullptr; }));
    EXPECT_FALSE(variant([](AM_MEDIA_TYPE&, VIDEOINFOHEADER& i) { i.bmiHeader.biBitCount = 32; }));
    EXPECT_FALSE(variant(
        [](AM_MEDIA_TYPE&, VIDEOINFOHEADER& i) { i.bmiHeader.biCompression = BI_BITFIELDS; }));
    EXPECT_FALSE(variant([](AM_MEDIA_TYPE&, VIDEOINFOHEADER& i) { i.bmiHeader.biWidth = 0; }));
    EXPECT_FALSE(variant([](AM_MEDIA_TYPE&, VIDEOINFOHEADER& i) { i.bmiHeader.biWidth = -320; }));
    EXPECT_FALSE(variant([](AM_MEDIA_TYPE&, VIDEOINFOHEADER& i) { i.bmiHeader.biHeight = 0; }));
    EXPECT_FALSE(variant([](AM_MEDIA_TYPE&, VIDEOINFOHEADER& i) { i.bmiHeader.biHeight = 9000; }));
}

TEST(MediaTypeCopy, CopiesOwnFormatBlocks) {
    filterbase::MediaType original;
    ASSERT_EQ(vcxcam::makeVideoType(Capability{320, 240, 333333, false}, original), S_OK);
    AM_MEDIA_TYPE* copy = filterbase::createMediaTypeCopy(original.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy->pbFormat, original->pbFormat);
    ASSERT_EQ(copy->cbFormat, original->cbFormat);
    EXPECT_EQ(std::memcmp(copy->pbFormat, original->pbFormat, copy->cbFormat), 0);
    filterbase::deleteMediaType(copy);

    filterbase::MediaType moved = std::move(original);
    EXPECT_TRUE(original.empty());
    EXPECT_FALSE(moved.empty());
}

} // namespace
