// The vcxcam MJPEG decoder on Wine's DirectShow (which has no MJPEG
// decompressor of its own): the filter mapper finds it for MJPG inputs at its
// merit, the graph builder puts it between an MJPG camera and an RGB24 Sample
// Grabber, every frame it delivers is the camera's JPEG decoded, with the
// camera's time stamps, and a JPEG it cannot read is dropped and counted,
// never delivered.
#include "camera_support.h"
#include "decoder_stats.h"
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

class DecoderMapperTest : public camtest::CameraTest,
                          public testing::WithParamInterface<MapperCase> {};

INSTANTIATE_TEST_SUITE_P(
    Inputs, DecoderMapperTest,
    testing::Values(MapperCase{"Mjpg", &MEDIASUBTYPE_MJPG, MERIT_UNLIKELY, true},
                    MapperCase{"Yuy2", &MEDIASUBTYPE_YUY2, MERIT_DO_NOT_USE, false},
                    MapperCase{"AboveItsMerit", &MEDIASUBTYPE_MJPG, MERIT_UNLIKELY + 1, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(DecoderMapperTest, MapperOffersItForMjpgAtItsMerit) {
    const MapperCase& c = GetParam();
    EXPECT_EQ(camtest::mapperOffers(vcxcam::kMjpegDecoderClsid, *c.subtype, c.merit),
              c.found ? std::vector<std::wstring>{vcxcam::kMjpegDecoderName}
                      : std::vector<std::wstring>{});
}

// The decoder's counts, through its private interface.
vcxcam::DecoderStats decoderStats(IGraphBuilder* graph) {
    const ComPtr<IBaseFilter> decoder = camtest::filterNamed(graph, vcxcam::kMjpegDecoderName);
    ComPtr<vcxcam::IDecoderStats> stats;
    vcxcam::DecoderStats counts{};
    if (!decoder || FAILED(decoder->QueryInterface(vcxcam::kIidDecoderStats, stats.putVoid())) ||
        FAILED(stats->GetDecoderStats(&counts))) {
        ADD_FAILURE() << "no decoder counts in the graph";
    }
    return counts;
}

struct StreamCase {
    const char* name;
    const wchar_t* format;
    long width;
    long height;
};

class DecoderStreamTest : public camtest::CameraTest,
                          public testing::WithParamInterface<StreamCase> {};

INSTANTIATE_TEST_SUITE_P(Cameras, DecoderStreamTest,
                         testing::Values(StreamCase{"VideoInfo", L"160x120@30:MJPG", 160, 120},
                                         StreamCase{"VideoInfo2OddSize", L"vi2:161x121@30:mjpg",
                                                    161, 121}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(DecoderStreamTest, GraphBuilderPutsItBeforeTheGrabberAndItsFramesAreTheDecodedJpegs) {
    const StreamCase& c = GetParam();
    harness::configureCameras({harness::CameraConfig{L"MJPG camera", {c.format}}});
    const ComPtr<IBaseFilter> camera = camtest::bindCamera(L"MJPG camera");
    constexpr std::size_t kFrames = 6;
    camtest::SampleRecorder recorder(kFrames);
    const auto graph = camtest::buildPreviewGraph(camera.get(), PIN_CATEGORY_CAPTURE, &recorder);
    EXPECT_TRUE(camtest::graphHas(graph->graph.get(), vcxcam::kMjpegDecoderClsid));
    EXPECT_EQ(
        camtest::grabberShape(graph->grabber.get()),
        (camtest::VideoShape{c.width, c.height, 333333,
                             static_cast<DWORD>(camtest::rgb24FrameBytes(c.width, c.height))}));

    ASSERT_TRUE(SUCCEEDED(graph->control->Run()));
    ASSERT_TRUE(recorder.waitFor(kFrames));
    ASSERT_EQ(graph->control->Stop(), S_OK);
    const std::vector<camtest::SampleRecorder::Sample> samples = recorder.samples();
    for (std::size_t i = 0; i < kFrames; ++i) {
        EXPECT_EQ(camtest::matchPicture(samples[i].bits, c.width, c.height, Subtype::Mjpg), i) << i;
        EXPECT_TRUE(samples[i].timed) << i;
        EXPECT_EQ(samples[i].discontinuity, i == 0) << i;
    }
    EXPECT_EQ(decoderStats(graph->graph.get()).framesDropped, 0u);
}

// CorruptEvery 3: the camera cuts frames 2, 5, 8, ... to half their bytes.
TEST_F(DecoderStreamTest, JpegsItCannotReadAreDroppedAndCountedNeverDelivered) {
    harness::CameraConfig config{L"MJPG camera", {L"160x120@30:MJPG"}};
    config.corruptEvery = 3;
    harness::configureCameras({config});
    const ComPtr<IBaseFilter> camera = camtest::bindCamera(L"MJPG camera");
    constexpr std::size_t kFrames = 8;
    camtest::SampleRecorder recorder(kFrames);
    const auto graph = camtest::buildPreviewGraph(camera.get(), PIN_CATEGORY_CAPTURE, &recorder);
    ASSERT_TRUE(SUCCEEDED(graph->control->Run()));
    ASSERT_TRUE(recorder.waitFor(kFrames));
    ASSERT_EQ(graph->control->Stop(), S_OK);
    const std::vector<camtest::SampleRecorder::Sample> samples = recorder.samples();
    // Of frames 0..11, the eight the decoder could read.
    const std::uint32_t expected[kFrames] = {0, 1, 3, 4, 6, 7, 9, 10};
    for (std::size_t i = 0; i < kFrames; ++i) {
        EXPECT_EQ(camtest::matchPicture(samples[i].bits, 160, 120, Subtype::Mjpg), expected[i])
            << i;
    }
    const vcxcam::DecoderStats stats = decoderStats(graph->graph.get());
    EXPECT_GE(stats.framesDecoded, recorder.count());
    EXPECT_GE(stats.framesDropped, 3u) << "frames 2, 5 and 8";
    EXPECT_EQ(stats.framesDropped, (stats.framesDecoded + stats.framesDropped) / 3)
        << "one in three of the frames sent";
}

} // namespace
