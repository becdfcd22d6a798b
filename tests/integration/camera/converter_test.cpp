// The vcxcam colour converter on Wine's DirectShow: the filter mapper finds
// it in the DirectShow filter category for YUY2, NV12 and RGB24 inputs at its
// merit, the graph builder puts it between a YUY2, NV12 or VIDEOINFOHEADER2
// RGB24 camera and an RGB24 Sample Grabber, and every frame it delivers is
// exactly the picture its formulas predict, with the camera's time stamps.
#include "camera_support.h"
#include "filterbase/media_type.h"
#include "ids.h"

#include <gtest/gtest.h>

#include <uuids.h>

#include <string>

namespace {

using camtest::ComPtr;
using vcxcam::Subtype;

struct MapperCase {
    const char* name;
    const GUID* subtype;
    DWORD merit; // the least merit asked for
    bool found;
};

class ConverterMapperTest : public camtest::CameraTest,
                            public testing::WithParamInterface<MapperCase> {};

INSTANTIATE_TEST_SUITE_P(
    Inputs, ConverterMapperTest,
    testing::Values(MapperCase{"Yuy2", &MEDIASUBTYPE_YUY2, MERIT_UNLIKELY, true},
                    MapperCase{"Nv12", &MEDIASUBTYPE_NV12, MERIT_UNLIKELY, true},
                    // (RGB24 FORMAT_VideoInfo2 only, which the mapper does not tell apart)
                    MapperCase{"Rgb24", &MEDIASUBTYPE_RGB24, MERIT_DO_NOT_USE, true},
                    MapperCase{"Mjpg", &MEDIASUBTYPE_MJPG, MERIT_DO_NOT_USE, false},
                    MapperCase{"AboveItsMerit", &MEDIASUBTYPE_YUY2, MERIT_UNLIKELY + 1, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(ConverterMapperTest, MapperOffersItForItsInputsAtItsMerit) {
    const MapperCase& c = GetParam();
    const std::vector<std::wstring> offered =
        camtest::mapperOffers(vcxcam::kConverterClsid, *c.subtype, c.merit);
    EXPECT_EQ(offered, c.found ? std::vector<std::wstring>{vcxcam::kConverterName}
                               : std::vector<std::wstring>{});
}

struct StreamCase {
    const char* name;
    const wchar_t* format;
    long width;
    long height;
    Subtype subtype;
    // Put between by the test: this grabber takes RGB24 of any format type,
    // so the builder would connect a VIDEOINFOHEADER2 RGB24 camera to it
    // directly (the library's, FORMAT_VideoInfo only, gets the converter
    // from the builder: tests/integration/capabilities_test.cpp).
    bool placed = false;
};

class ConverterStreamTest : public camtest::CameraTest,
                            public testing::WithParamInterface<StreamCase> {};

INSTANTIATE_TEST_SUITE_P(
    Cameras, ConverterStreamTest,
    testing::Values(
        StreamCase{"Yuy2", L"162x120@30:YUY2", 162, 120, Subtype::Yuy2},
        StreamCase{"Nv12", L"176x144@30:nv12", 176, 144, Subtype::Nv12},
        StreamCase{"Nv12VideoInfo2", L"vi2:160x120@30:NV12", 160, 120, Subtype::Nv12},
        StreamCase{"Rgb24VideoInfo2", L"vi2:160x120@30", 160, 120, Subtype::Rgb24, true},
        StreamCase{"Rgb24VideoInfo2TopDown", L"vi2:160x-120@30", 160, -120, Subtype::Rgb24, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(ConverterStreamTest, GraphBuilderPutsItBeforeTheGrabberAndItsFramesAreExact) {
    const StreamCase& c = GetParam();
    harness::configureCameras({harness::CameraConfig{L"YUV camera", {c.format}}});
    const ComPtr<IBaseFilter> camera = camtest::bindCamera(L"YUV camera");
    constexpr std::size_t kFrames = 6;
    camtest::SampleRecorder recorder(kFrames);
    ComPtr<IBaseFilter> converter;
    if (c.placed) {
        ASSERT_EQ(CoCreateInstance(vcxcam::kConverterClsid, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IBaseFilter, converter.putVoid()),
                  S_OK);
    }
    const auto graph =
        camtest::buildPreviewGraph(camera.get(), PIN_CATEGORY_CAPTURE, &recorder, converter.get());
    EXPECT_TRUE(camtest::graphHas(graph->graph.get(), vcxcam::kConverterClsid));
    AM_MEDIA_TYPE connected{};
    ASSERT_EQ(graph->grabber->GetConnectedMediaType(&connected), S_OK);
    EXPECT_EQ(connected.subtype, MEDIASUBTYPE_RGB24);
    EXPECT_EQ(connected.formattype, FORMAT_VideoInfo);
    filterbase::freeMediaTypeFields(connected);
    EXPECT_EQ(
        camtest::grabberShape(graph->grabber.get()),
        (camtest::VideoShape{c.width, c.height, 333333,
                             static_cast<DWORD>(camtest::rgb24FrameBytes(c.width, c.height))}));

    ASSERT_TRUE(SUCCEEDED(graph->control->Run()));
    ASSERT_TRUE(recorder.waitFor(kFrames));
    ASSERT_EQ(graph->control->Stop(), S_OK);
    const std::vector<camtest::SampleRecorder::Sample> samples = recorder.samples();
    for (std::size_t i = 0; i < kFrames; ++i) {
        EXPECT_EQ(camtest::matchPicture(samples[i].bits, c.width, c.height, c.subtype), i) << i;
        EXPECT_TRUE(samples[i].timed) << i;
        EXPECT_EQ(samples[i].discontinuity, i == 0) << i;
    }
}

} // namespace
