// IAMStreamConfig of the capture pin: capabilities, the current format, what
// SetFormat takes and refuses, and the configuration switches that change it.
#include "camera_support.h"
#include "filterbase/media_type.h"
#include "video_type.h"

#include <dvdmedia.h>
#include <uuids.h>

#include <cstring>

namespace camtest {
namespace {

class StreamConfigTest : public CameraTest {
  protected:
    void configure(DWORD refuseFormats = 0, DWORD noStreamConfig = 0) {
        harness::configureCameras({harness::CameraConfig{
            L"Config camera",
            {L"320x240@30", L"bogus", L"vi2:1280x720@60", L"640x-480@29.97", L"0x0@30"},
            0,
            refuseFormats,
            noStreamConfig}});
        camera_ = createCamera(0);
    }

    ComPtr<IBaseFilter> camera_;
};

VIDEO_STREAM_CONFIG_CAPS capsOf(IAMStreamConfig* config, int index, OwnedType& type) {
    VIDEO_STREAM_CONFIG_CAPS caps{};
    EXPECT_EQ(config->GetStreamCaps(index, type.put(), reinterpret_cast<BYTE*>(&caps)), S_OK);
    return caps;
}

TEST_F(StreamConfigTest, CapabilitiesAreTheValidConfiguredFormats) {
    configure();
    ComPtr<IAMStreamConfig> config = streamConfig(camera_.get());
    int count = 0;
    int size = 0;
    ASSERT_EQ(config->GetNumberOfCapabilities(&count, &size), S_OK);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(size, 128);
    EXPECT_EQ(static_cast<std::size_t>(size), sizeof(VIDEO_STREAM_CONFIG_CAPS));

    struct Expected {
        VideoShape shape;
        GUID format;
    };
    const Expected expected[] = {{{320, 240, 333333, 320 * 3 * 240}, FORMAT_VideoInfo},
                                 {{1280, 720, 166667, 1280 * 3 * 720}, FORMAT_VideoInfo2},
                                 {{640, -480, 333667, 640 * 3 * 480}, FORMAT_VideoInfo}};
    for (int index = 0; index < count; ++index) {
        OwnedType type;
        const VIDEO_STREAM_CONFIG_CAPS caps = capsOf(config.get(), index, type);
        ASSERT_NE(type.get(), nullptr);
        const Expected& want = expected[index];
        EXPECT_EQ(type->majortype, MEDIATYPE_Video);
        EXPECT_EQ(type->subtype, MEDIASUBTYPE_RGB24);
        EXPECT_EQ(type->formattype, want.format);
        EXPECT_EQ(shapeOf(*type.get()), want.shape) << "capability " << index;
        EXPECT_EQ(caps.guid, want.format);
        EXPECT_EQ(caps.MaxOutputSize.cx, want.shape.width);
        EXPECT_EQ(caps.MaxOutputSize.cy, std::labs(want.shape.height));
        EXPECT_EQ(caps.MinOutputSize.cx, want.shape.width);
        EXPECT_EQ(caps.InputSize.cy, std::labs(want.shape.height));
        EXPECT_EQ(caps.MinFrameInterval, want.shape.interval);
        EXPECT_EQ(caps.MaxFrameInterval, want.shape.interval);
        EXPECT_GT(caps.MaxBitsPerSecond, 0);
    }
    OwnedType past;
    VIDEO_STREAM_CONFIG_CAPS caps{};
    EXPECT_EQ(config->GetStreamCaps(count, past.put(), reinterpret_cast<BYTE*>(&caps)), S_FALSE);
    EXPECT_EQ(past.get(), nullptr);
    EXPECT_EQ(config->GetStreamCaps(0, nullptr, reinterpret_cast<BYTE*>(&caps)), E_POINTER);
}

TEST_F(StreamConfigTest, CurrentFormatIsTheFirstCapabilityUntilSet) {
    configure();
    ComPtr<IAMStreamConfig> config = streamConfig(camera_.get());
    OwnedType current;
    ASSERT_EQ(config->GetFormat(current.put()), S_OK);
    EXPECT_EQ(shapeOf(*current.get()), (VideoShape{320, 240, 333333, 320 * 3 * 240}));

    // Another capability's size at another positive rate.
    ASSERT_EQ(config->SetFormat(VideoInfoType(640, -480, 500000).get()), S_OK);
    ASSERT_EQ(config->GetFormat(current.put()), S_OK);
    EXPECT_EQ(current->formattype, FORMAT_VideoInfo);
    EXPECT_EQ(shapeOf(*current.get()), (VideoShape{640, -480, 500000, 640 * 3 * 480}));

    // From now on the pin offers the chosen format only.
    ComPtr<IEnumMediaTypes> types;
    ASSERT_EQ(findPin(camera_.get(), L"Capture")->EnumMediaTypes(types.put()), S_OK);
    OwnedType offered;
    ASSERT_EQ(types->Next(1, offered.put(), nullptr), S_OK);
    EXPECT_EQ(shapeOf(*offered.get()), (VideoShape{640, -480, 500000, 640 * 3 * 480}));
    EXPECT_EQ(types->Next(1, offered.put(), nullptr), S_FALSE);
    ComPtr<IPin> capture = findPin(camera_.get(), L"Capture");
    EXPECT_EQ(capture->QueryAccept(VideoInfoType(640, -480, 500000).get()), S_OK);
    EXPECT_EQ(capture->QueryAccept(VideoInfoType(320, 240, 333333).get()), S_FALSE);
}

// ZeroFrameInterval: every type states no rate, as Wine's own capture filter's
// do, while the capabilities keep their range.
TEST_F(StreamConfigTest, AZeroFrameIntervalCameraStatesNoRate) {
    harness::CameraConfig camera{L"Rateless camera", {L"320x240@30", L"640x480@15"}};
    camera.zeroFrameInterval = 1;
    harness::configureCameras({camera});
    camera_ = createCamera(0);
    ComPtr<IAMStreamConfig> config = streamConfig(camera_.get());
    OwnedType type;
    EXPECT_EQ(capsOf(config.get(), 1, type).MinFrameInterval, 666667);
    EXPECT_EQ(shapeOf(*type.get()), (VideoShape{640, 480, 0, 640 * 3 * 480}));
    ASSERT_EQ(config->GetFormat(type.put()), S_OK);
    EXPECT_EQ(shapeOf(*type.get()), (VideoShape{320, 240, 0, 320 * 3 * 240}));
    ComPtr<IPin> capture = findPin(camera_.get(), L"Capture");
    EXPECT_EQ(capture->QueryAccept(VideoInfoType(320, 240, 0).get()), S_OK);
    EXPECT_EQ(capture->QueryAccept(VideoInfoType(320, 240, 333333).get()), S_FALSE);
    // Taken without a rate, and offered so from then on.
    ASSERT_EQ(config->SetFormat(VideoInfoType(640, 480, 0).get()), S_OK);
    ComPtr<IEnumMediaTypes> types;
    ASSERT_EQ(capture->EnumMediaTypes(types.put()), S_OK);
    ASSERT_EQ(types->Next(1, type.put(), nullptr), S_OK);
    EXPECT_EQ(shapeOf(*type.get()), (VideoShape{640, 480, 0, 640 * 3 * 480}));
}

TEST_F(StreamConfigTest, SetFormatRecomputesTheSizesItWasGiven) {
    configure();
    ComPtr<IAMStreamConfig> config = streamConfig(camera_.get());
    VideoInfoType sloppy(320, 240, 400000);
    sloppy.info().bmiHeader.biSizeImage = 12345;
    sloppy.get()->lSampleSize = 1;
    ASSERT_EQ(config->SetFormat(sloppy.get()), S_OK);
    OwnedType current;
    ASSERT_EQ(config->GetFormat(current.put()), S_OK);
    EXPECT_EQ(current->lSampleSize, 320u * 3 * 240);
    EXPECT_EQ(shapeOf(*current.get()), (VideoShape{320, 240, 400000, 320 * 3 * 240}));
}

TEST_F(StreamConfigTest, SetFormatTakesTheVideoInfo2TypeOfAVi2Capability) {
    configure();
    ComPtr<IAMStreamConfig> config = streamConfig(camera_.get());
    OwnedType vi2;
    capsOf(config.get(), 1, vi2);
    ASSERT_EQ(config->SetFormat(vi2.get()), S_OK);
    OwnedType current;
    ASSERT_EQ(config->GetFormat(current.put()), S_OK);
    EXPECT_EQ(current->formattype, FORMAT_VideoInfo2);
    EXPECT_EQ(shapeOf(*current.get()), (VideoShape{1280, 720, 166667, 1280 * 3 * 720}));
    // A VideoInfo type of that size is fine as well.
    EXPECT_EQ(config->SetFormat(VideoInfoType(1280, 720, 166667).get()), S_OK);
}

TEST_F(StreamConfigTest, SetFormatRefusesTypesThatAreNoCapability) {
    configure();
    ComPtr<IAMStreamConfig> config = streamConfig(camera_.get());
    const auto refused = [&](AM_MEDIA_TYPE* type) { return config->SetFormat(type); };
    EXPECT_EQ(refused(VideoInfoType(800, 600, 333333).get()), VFW_E_INVALIDMEDIATYPE);
    EXPECT_EQ(refused(VideoInfoType(320, -240, 333333).get()), VFW_E_INVALIDMEDIATYPE); // flipped
    EXPECT_EQ(refused(VideoInfoType(640, 480, 333333).get()), VFW_E_INVALIDMEDIATYPE);
    EXPECT_EQ(refused(VideoInfoType(320, 240, 0).get()), VFW_E_INVALIDMEDIATYPE);
    EXPECT_EQ(refused(VideoInfoType(320, 240, -333333).get()), VFW_E_INVALIDMEDIATYPE);
    VideoInfoType rgb32(320, 240, 333333);
    rgb32.get()->subtype = MEDIASUBTYPE_RGB32;
    rgb32.info().bmiHeader.biBitCount = 32;
    EXPECT_EQ(refused(rgb32.get()), VFW_E_INVALIDMEDIATYPE);
    VideoInfoType audio(320, 240, 333333);
    audio.get()->majortype = MEDIATYPE_Audio;
    EXPECT_EQ(refused(audio.get()), VFW_E_INVALIDMEDIATYPE);
    VideoInfoType truncated(320, 240, 333333);
    truncated.get()->cbFormat = 8;
    EXPECT_EQ(refused(truncated.get()), VFW_E_INVALIDMEDIATYPE);
    // VideoInfo2 only for a vi2 capability.
    OwnedType plain;
    capsOf(config.get(), 0, plain);
    VIDEOINFOHEADER2 info2{};
    std::memcpy(&info2.bmiHeader, &reinterpret_cast<VIDEOINFOHEADER*>(plain->pbFormat)->bmiHeader,
                sizeof(BITMAPINFOHEADER));
    info2.AvgTimePerFrame = 333333;
    AM_MEDIA_TYPE asVi2 = *plain.get();
    asVi2.formattype = FORMAT_VideoInfo2;
    asVi2.cbFormat = sizeof(info2);
    asVi2.pbFormat = reinterpret_cast<BYTE*>(&info2);
    EXPECT_EQ(refused(&asVi2), VFW_E_INVALIDMEDIATYPE);
    EXPECT_EQ(refused(nullptr), E_POINTER);

    // Nothing refused changed the format.
    OwnedType current;
    ASSERT_EQ(config->GetFormat(current.put()), S_OK);
    EXPECT_EQ(shapeOf(*current.get()), (VideoShape{320, 240, 333333, 320 * 3 * 240}));
}

// A size is a capability only in its own subtype; the camera sizes the
// frames of the subtype itself.
TEST_F(StreamConfigTest, SetFormatTakesASizeOnlyInTheSubtypeOfItsCapability) {
    harness::configureCameras(
        {harness::CameraConfig{L"Mixed camera", {L"320x240@30:YUY2", L"160x120@30"}}});
    camera_ = createCamera(0);
    ComPtr<IAMStreamConfig> config = streamConfig(camera_.get());
    struct Row {
        vcxcam::Capability format;
        HRESULT result;
    };
    for (const Row& row :
         {Row{{320, 240, 333333, false, vcxcam::Subtype::Rgb24}, VFW_E_INVALIDMEDIATYPE},
          Row{{160, 120, 333333, false, vcxcam::Subtype::Yuy2}, VFW_E_INVALIDMEDIATYPE},
          Row{{320, 240, 333333, false, vcxcam::Subtype::Nv12}, VFW_E_INVALIDMEDIATYPE},
          Row{{320, 240, 666667, false, vcxcam::Subtype::Yuy2}, S_OK}}) {
        filterbase::MediaType type;
        ASSERT_EQ(vcxcam::makeVideoType(row.format, type), S_OK);
        // Sizes the camera recomputes.
        AM_MEDIA_TYPE given = type.get();
        given.lSampleSize = 1;
        reinterpret_cast<VIDEOINFOHEADER*>(given.pbFormat)->bmiHeader.biSizeImage = 0;
        EXPECT_EQ(config->SetFormat(&given), row.result)
            << row.format.width << "x" << row.format.height << " subtype "
            << static_cast<int>(row.format.subtype);
    }
    OwnedType current;
    ASSERT_EQ(config->GetFormat(current.put()), S_OK);
    EXPECT_EQ(current->subtype, MEDIASUBTYPE_YUY2);
    EXPECT_EQ(current->lSampleSize, 320u * 2 * 240);
    EXPECT_EQ(shapeOf(*current.get()), (VideoShape{320, 240, 666667, 320 * 2 * 240}));
}

TEST_F(StreamConfigTest, RefuseFormatsRefusesEvenACapability) {
    configure(1, 0);
    ComPtr<IAMStreamConfig> config = streamConfig(camera_.get());
    OwnedType first;
    capsOf(config.get(), 0, first);
    EXPECT_EQ(config->SetFormat(first.get()), VFW_E_INVALIDMEDIATYPE);
    EXPECT_EQ(config->SetFormat(VideoInfoType(640, -480, 333667).get()), VFW_E_INVALIDMEDIATYPE);
    // Reading still works, and the filter still streams its formats.
    int count = 0;
    int size = 0;
    EXPECT_EQ(config->GetNumberOfCapabilities(&count, &size), S_OK);
    EXPECT_EQ(count, 3);
    auto graph = buildPreviewGraph(camera_.get());
    EXPECT_EQ(grabberShape(graph->grabber.get()), (VideoShape{320, 240, 333333, 320 * 3 * 240}));
}

TEST_F(StreamConfigTest, NoStreamConfigLeavesTheCapturePinWithoutIt) {
    configure(0, 1);
    ComPtr<IPin> capture = findPin(camera_.get(), L"Capture");
    ComPtr<IAMStreamConfig> config;
    EXPECT_EQ(capture->QueryInterface(IID_IAMStreamConfig, config.putVoid()), E_NOINTERFACE);
    ComPtr<ICaptureGraphBuilder2> builder;
    ComPtr<IGraphBuilder> graph;
    ASSERT_EQ(CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                               IID_ICaptureGraphBuilder2, builder.putVoid()),
              S_OK);
    ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                               graph.putVoid()),
              S_OK);
    ASSERT_EQ(builder->SetFiltergraph(graph.get()), S_OK);
    ASSERT_EQ(graph->AddFilter(camera_.get(), L"Camera"), S_OK);
    EXPECT_TRUE(
        FAILED(builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, camera_.get(),
                                      IID_IAMStreamConfig, config.putVoid())));
    // The pin still has its category and types.
    ComPtr<IKsPropertySet> properties;
    EXPECT_EQ(capture->QueryInterface(IID_IKsPropertySet, properties.putVoid()), S_OK);
    EXPECT_EQ(capture->QueryAccept(VideoInfoType(320, 240, 333333).get()), S_OK);
}

} // namespace
} // namespace camtest
