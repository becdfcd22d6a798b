// The vcxcam colour converter on Wine's DirectShow: the filter mapper finds
// it in the DirectShow filter category for YUY2 and NV12 inputs at its merit,
// the graph builder puts it between a YUY2 or NV12 camera and an RGB24 Sample
// Grabber, and every frame it delivers is exactly the picture its formulas
// predict, with the camera's time stamps.
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
                    MapperCase{"Rgb24", &MEDIASUBTYPE_RGB24, MERIT_DO_NOT_USE, false},
                    MapperCase{"AboveItsMerit", &MEDIASUBTYPE_YUY2, MERIT_UNLIKELY + 1, false}),
    [](const auto& info) { return std::string(info.param.name); });

// What a graph builder asks the mapper when it looks for a filter to put
// after an output pin of this type.
TEST_P(ConverterMapperTest, MapperOffersItForYuvInputsAtItsMerit) {
    const MapperCase& c = GetParam();
    ComPtr<IFilterMapper2> mapper;
    ASSERT_EQ(CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IFilterMapper2, mapper.putVoid()),
              S_OK);
    const GUID types[2] = {MEDIATYPE_Video, *c.subtype};
    ComPtr<IEnumMoniker> filters;
    ASSERT_EQ(mapper->EnumMatchingFilters(filters.put(), 0, FALSE, c.merit, TRUE, 1, types, nullptr,
                                          nullptr, FALSE, TRUE, 0, nullptr, nullptr, nullptr),
              S_OK);
    int listed = 0;
    ComPtr<IMoniker> moniker;
    while (filters->Next(1, moniker.put(), nullptr) == S_OK) {
        ComPtr<IPropertyBag> bag;
        ASSERT_EQ(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.putVoid()), S_OK);
        VARIANT clsid;
        VariantInit(&clsid);
        if (SUCCEEDED(bag->Read(L"CLSID", &clsid, nullptr)) && clsid.vt == VT_BSTR &&
            harness::guidString(vcxcam::kConverterClsid) == clsid.bstrVal) {
            ++listed;
            VARIANT name;
            VariantInit(&name);
            ASSERT_EQ(bag->Read(L"FriendlyName", &name, nullptr), S_OK);
            EXPECT_EQ(std::wstring(name.bstrVal), vcxcam::kConverterName);
            VariantClear(&name);
        }
        VariantClear(&clsid);
    }
    EXPECT_EQ(listed, c.found ? 1 : 0);
}

// A pixel of frame number frame after the converter, worked out by hand from
// the picture's definition and the conversion formulas (vcxcam/README.md),
// apart from the camera's code that matchPicture draws and converts with.
struct ConvertedPixel {
    std::uint32_t frame;
    long x;
    long y;
    camtest::Rgb rgb;
};

// Frame 0, pixels (12, 0) and (13, 0): drawn r g b (12, 0, 12) and (13, 0, 13),
// Y 20 and 21, U 131 and 132, V 132 and 133; the pair's U floor((131 + 132 + 1)
// / 2) = 132 (down: 131), V floor((132 + 133 + 1) / 2) = 133 (down: 132); back,
// with c = Y - 16, d = 4, e = 5: r = floor((298 c + 2045 + 128) / 256), g = 0
// (clamped), b = floor((298 c + 2064 + 128) / 256).
// Frame 1, the last pair of the bottom row, (160, 119) and (161, 119): drawn
// (215, 119, 161) and (214, 119, 162), Y 147 both, U 132 and 133 -> 133, V 167
// both.
const std::vector<ConvertedPixel> kYuy2Pixels = {{0, 12, 0, {13, 0, 13}},
                                                 {0, 13, 0, {14, 0, 14}},
                                                 {1, 160, 119, {215, 119, 163}},
                                                 {1, 161, 119, {215, 119, 163}}};
// Frame 0, block (12, 0) of drawn (12, 0, 12), (13, 0, 13), (13, 1, 12), (12,
// 1, 13): U 131 + 132 + 131 + 132 = 526 -> floor(528 / 4) = 132 (down: 131),
// V 132 + 133 + 132 + 132 = 529 -> 132 (up: 133); Y 20 at (12, 0), 21 at (13, 1).
// Frame 1, block (124, 0): U 164 + 165 + 164 + 164 = 657 -> 164, V 173 + 174 +
// 174 + 173 = 694 -> 174; (124, 0) drawn (124, 0, 125), Y 60.
// Frame 1, block (140, 118): U 118 + 119 + 118 + 119 = 474 -> 119, V 184 + 185
// + 184 + 184 = 737 -> 184; (141, 119) drawn (250, 119, 142), Y 154.
const std::vector<ConvertedPixel> kNv12Pixels = {{0, 12, 0, {11, 0, 13}},
                                                 {0, 13, 1, {12, 1, 14}},
                                                 {1, 124, 0, {125, 0, 124}},
                                                 {1, 141, 119, {250, 119, 143}}};

struct StreamCase {
    const char* name;
    const wchar_t* format;
    long width;
    long height;
    Subtype subtype;
    const std::vector<ConvertedPixel>* pixels;
};

class ConverterStreamTest : public camtest::CameraTest,
                            public testing::WithParamInterface<StreamCase> {};

INSTANTIATE_TEST_SUITE_P(
    Cameras, ConverterStreamTest,
    testing::Values(StreamCase{"Yuy2", L"162x120@30:YUY2", 162, 120, Subtype::Yuy2, &kYuy2Pixels},
                    StreamCase{"Nv12", L"176x144@30:nv12", 176, 144, Subtype::Nv12, &kNv12Pixels},
                    StreamCase{"Nv12VideoInfo2", L"vi2:160x120@30:NV12", 160, 120, Subtype::Nv12,
                               &kNv12Pixels}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(ConverterStreamTest, GraphBuilderPutsItBeforeTheGrabberAndItsFramesAreExact) {
    const StreamCase& c = GetParam();
    harness::configureCameras({harness::CameraConfig{L"YUV camera", {c.format}}});
    const ComPtr<IBaseFilter> camera = camtest::bindCamera(L"YUV camera");
    constexpr std::size_t kFrames = 6;
    camtest::SampleRecorder recorder(kFrames);
    const auto graph = camtest::buildPreviewGraph(camera.get(), PIN_CATEGORY_CAPTURE, &recorder);
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
    // The frames of a run are pictures 0, 1, ...
    for (const ConvertedPixel& pixel : *c.pixels) {
        EXPECT_EQ(camtest::pixelOf(samples[pixel.frame].bits, c.width, c.height, pixel.x, pixel.y),
                  pixel.rgb)
            << "frame " << pixel.frame << ", pixel " << pixel.x << ", " << pixel.y;
    }
}

} // namespace
