// The camera filter and its pins as COM objects and DirectShow pins, without
// streaming: identity, filter information, pin categories, media types,
// QueryAccept, connection and its refusals, state.
#include "camera_support.h"

#include "ids.h"

namespace camtest {
namespace {

class FilterTest : public CameraTest {
  protected:
    void SetUp() override {
        harness::configureCameras({harness::CameraConfig{
            L"Filter camera", {L"320x240@30", L"vi2:160x-120@15", L"640x480@29.97"}, 1, 0, 0}});
        camera_ = createCamera(0);
    }

    ComPtr<IBaseFilter> camera_;
};

ComPtr<IUnknown> identity(IUnknown* object) {
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(object->QueryInterface(IID_IUnknown, unknown.putVoid()), S_OK);
    return unknown;
}

GUID pinCategory(IPin* pin) {
    ComPtr<IKsPropertySet> properties;
    EXPECT_EQ(pin->QueryInterface(IID_IKsPropertySet, properties.putVoid()), S_OK);
    GUID category = GUID_NULL;
    DWORD returned = 0;
    if (properties) {
        EXPECT_EQ(properties->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &category,
                                  sizeof(category), &returned),
                  S_OK);
        EXPECT_EQ(returned, sizeof(GUID));
    }
    return category;
}

TEST_F(FilterTest, FilterIdentityIsSymmetric) {
    ComPtr<IAMFilterMiscFlags> flags;
    ASSERT_EQ(camera_->QueryInterface(IID_IAMFilterMiscFlags, flags.putVoid()), S_OK);
    EXPECT_EQ(flags->GetMiscFlags(), static_cast<ULONG>(AM_FILTER_MISC_FLAGS_IS_SOURCE));
    EXPECT_EQ(identity(flags.get()).get(), identity(camera_.get()).get());
    ComPtr<IBaseFilter> back;
    ASSERT_EQ(flags->QueryInterface(IID_IBaseFilter, back.putVoid()), S_OK);
    EXPECT_EQ(back.get(), camera_.get());
    ComPtr<IPersist> persist;
    ASSERT_EQ(camera_->QueryInterface(IID_IPersist, persist.putVoid()), S_OK);
    CLSID clsid{};
    ASSERT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, vcxcam::cameraClsid(0));
    ComPtr<IMediaFilter> mediaFilter;
    EXPECT_EQ(camera_->QueryInterface(IID_IMediaFilter, mediaFilter.putVoid()), S_OK);
    ComPtr<IPin> notAPin;
    EXPECT_EQ(camera_->QueryInterface(IID_IPin, notAPin.putVoid()), E_NOINTERFACE);
}

TEST_F(FilterTest, PinIdentityIsSymmetricAcrossItsInterfaces) {
    ComPtr<IPin> capture = findPin(camera_.get(), L"Capture");
    ComPtr<IKsPropertySet> properties;
    ComPtr<IAMStreamConfig> config;
    ASSERT_EQ(capture->QueryInterface(IID_IKsPropertySet, properties.putVoid()), S_OK);
    ASSERT_EQ(capture->QueryInterface(IID_IAMStreamConfig, config.putVoid()), S_OK);
    const ComPtr<IUnknown> pinIdentity = identity(capture.get());
    EXPECT_EQ(identity(properties.get()).get(), pinIdentity.get());
    EXPECT_EQ(identity(config.get()).get(), pinIdentity.get());
    EXPECT_NE(pinIdentity.get(), identity(camera_.get()).get());
    ComPtr<IPin> fromProperties;
    ComPtr<IPin> fromConfig;
    ASSERT_EQ(properties->QueryInterface(IID_IPin, fromProperties.putVoid()), S_OK);
    ASSERT_EQ(config->QueryInterface(IID_IPin, fromConfig.putVoid()), S_OK);
    EXPECT_EQ(fromProperties.get(), capture.get());
    EXPECT_EQ(fromConfig.get(), capture.get());
    ComPtr<IAMStreamConfig> configFromProperties;
    EXPECT_EQ(properties->QueryInterface(IID_IAMStreamConfig, configFromProperties.putVoid()),
              S_OK);
    ComPtr<IBaseFilter> notAFilter;
    EXPECT_EQ(capture->QueryInterface(IID_IBaseFilter, notAFilter.putVoid()), E_NOINTERFACE);
}

TEST_F(FilterTest, PinsReportTheirCategoryThroughTheirOwnPropertySet) {
    ComPtr<IEnumPins> pins;
    ASSERT_EQ(camera_->EnumPins(pins.put()), S_OK);
    std::vector<ComPtr<IPin>> all;
    ComPtr<IPin> pin;
    while (pins->Next(1, pin.put(), nullptr) == S_OK) {
        all.push_back(std::move(pin));
    }
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(pinCategory(all[0].get()), PIN_CATEGORY_CAPTURE);
    EXPECT_EQ(pinCategory(all[1].get()), PIN_CATEGORY_PREVIEW);

    ComPtr<IKsPropertySet> properties;
    ASSERT_EQ(all[1]->QueryInterface(IID_IKsPropertySet, properties.putVoid()), S_OK);
    GUID value{};
    DWORD returned = 0;
    EXPECT_EQ(properties->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY + 1, nullptr, 0, &value,
                              sizeof(value), &returned),
              E_PROP_ID_UNSUPPORTED);
    EXPECT_EQ(properties->Get(PIN_CATEGORY_CAPTURE, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &value,
                              sizeof(value), &returned),
              E_PROP_SET_UNSUPPORTED);
    EXPECT_EQ(properties->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &value,
                              sizeof(value) - 1, &returned),
              E_UNEXPECTED);
    GUID category = PIN_CATEGORY_CAPTURE;
    EXPECT_TRUE(FAILED(properties->Set(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0,
                                       &category, sizeof(category))));
    DWORD support = 0;
    EXPECT_EQ(properties->QuerySupported(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, &support), S_OK);
    EXPECT_EQ(support, static_cast<DWORD>(KSPROPERTY_SUPPORT_GET));
    // The preview pin has no format control of its own.
    ComPtr<IAMStreamConfig> config;
    EXPECT_EQ(all[1]->QueryInterface(IID_IAMStreamConfig, config.putVoid()), E_NOINTERFACE);
}

TEST_F(FilterTest, PinInformationNamesTheFilterAndDirection) {
    ComPtr<IPin> preview = findPin(camera_.get(), L"Preview");
    PIN_INFO info{};
    ASSERT_EQ(preview->QueryPinInfo(&info), S_OK);
    EXPECT_EQ(info.pFilter, camera_.get());
    EXPECT_EQ(info.dir, PINDIR_OUTPUT);
    EXPECT_STREQ(info.achName, L"Preview");
    info.pFilter->Release();
    PIN_DIRECTION direction = PINDIR_INPUT;
    ASSERT_EQ(preview->QueryDirection(&direction), S_OK);
    EXPECT_EQ(direction, PINDIR_OUTPUT);
    LPWSTR id = nullptr;
    ASSERT_EQ(preview->QueryId(&id), S_OK);
    EXPECT_STREQ(id, L"Preview");
    CoTaskMemFree(id);
    ComPtr<IPin> missing;
    EXPECT_EQ(camera_->FindPin(L"Output", missing.put()), VFW_E_NOT_FOUND);
    EXPECT_FALSE(missing);
}

TEST_F(FilterTest, JoiningAGraphSetsNameAndGraphWithoutACycle) {
    FILTER_INFO info{};
    ASSERT_EQ(camera_->QueryFilterInfo(&info), S_OK);
    EXPECT_EQ(info.pGraph, nullptr);
    EXPECT_STREQ(info.achName, L"");

    ComPtr<IGraphBuilder> graph;
    ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                               graph.putVoid()),
              S_OK);
    ASSERT_EQ(graph->AddFilter(camera_.get(), L"My camera"), S_OK);
    ASSERT_EQ(camera_->QueryFilterInfo(&info), S_OK);
    EXPECT_STREQ(info.achName, L"My camera");
    ASSERT_NE(info.pGraph, nullptr);
    EXPECT_EQ(identity(info.pGraph).get(), identity(graph.get()).get());
    info.pGraph->Release();

    ASSERT_EQ(graph->RemoveFilter(camera_.get()), S_OK);
    ASSERT_EQ(camera_->QueryFilterInfo(&info), S_OK);
    EXPECT_EQ(info.pGraph, nullptr);

    // The camera holds no reference to the graph: dropping the test's last
    // one ends the graph, which takes the camera out.
    ASSERT_EQ(graph->AddFilter(camera_.get(), L"Again"), S_OK);
    graph.reset();
    ASSERT_EQ(camera_->QueryFilterInfo(&info), S_OK);
    EXPECT_EQ(info.pGraph, nullptr);
}

TEST_F(FilterTest, MediaTypesListTheCapabilitiesInOrder) {
    ComPtr<IEnumMediaTypes> types;
    ASSERT_EQ(findPin(camera_.get(), L"Capture")->EnumMediaTypes(types.put()), S_OK);
    const std::vector<VideoShape> expected = {{320, 240, 333333, 320 * 3 * 240},
                                              {160, -120, 666667, 160 * 3 * 120},
                                              {640, 480, 333667, 640 * 3 * 480}};
    for (const VideoShape& shape : expected) {
        OwnedType type;
        // A null fetched count is fine when asking for one.
        ASSERT_EQ(types->Next(1, type.put(), nullptr), S_OK);
        EXPECT_EQ(type->majortype, MEDIATYPE_Video);
        EXPECT_EQ(type->subtype, MEDIASUBTYPE_RGB24);
        EXPECT_EQ(type->lSampleSize, shape.imageSize);
        EXPECT_EQ(type->formattype, shape.height == -120 ? FORMAT_VideoInfo2 : FORMAT_VideoInfo);
        EXPECT_EQ(shapeOf(*type.get()), shape);
    }
    OwnedType past;
    EXPECT_EQ(types->Next(1, past.put(), nullptr), S_FALSE);

    ASSERT_EQ(types->Reset(), S_OK);
    EXPECT_EQ(types->Skip(2), S_OK);
    ComPtr<IEnumMediaTypes> clone;
    ASSERT_EQ(types->Clone(clone.put()), S_OK);
    AM_MEDIA_TYPE* batch[3] = {};
    ULONG fetched = 99;
    EXPECT_EQ(clone->Next(3, batch, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u);
    EXPECT_EQ(shapeOf(*batch[0]), expected[2]);
    OwnedType last;
    *last.put() = batch[0];
    EXPECT_EQ(types->Skip(5), S_FALSE);
}

TEST_F(FilterTest, QueryAcceptChecksEveryPartOfTheType) {
    ComPtr<IPin> capture = findPin(camera_.get(), L"Capture");
    EXPECT_EQ(capture->QueryAccept(VideoInfoType(320, 240, 333333).get()), S_OK);
    EXPECT_EQ(capture->QueryAccept(VideoInfoType(640, 480, 333667).get()), S_OK);
    VideoInfoType noImageSize(320, 240, 333333);
    noImageSize.info().bmiHeader.biSizeImage = 0;
    EXPECT_EQ(capture->QueryAccept(noImageSize.get()), S_OK);

    EXPECT_EQ(capture->QueryAccept(VideoInfoType(320, -240, 333333).get()), S_FALSE);
    EXPECT_EQ(capture->QueryAccept(VideoInfoType(321, 240, 333333).get()), S_FALSE);
    EXPECT_EQ(capture->QueryAccept(VideoInfoType(320, 240, 333334).get()), S_FALSE);
    // The vi2 capability is offered as VideoInfo2 only.
    EXPECT_EQ(capture->QueryAccept(VideoInfoType(160, -120, 666667).get()), S_FALSE);
    VideoInfoType wrongSize(320, 240, 333333);
    wrongSize.info().bmiHeader.biSizeImage = 320 * 3 * 240 + 4;
    EXPECT_EQ(capture->QueryAccept(wrongSize.get()), S_FALSE);
    VideoInfoType rgb32(320, 240, 333333);
    rgb32.get()->subtype = MEDIASUBTYPE_RGB32;
    rgb32.info().bmiHeader.biBitCount = 32;
    EXPECT_EQ(capture->QueryAccept(rgb32.get()), S_FALSE);
    VideoInfoType shortFormat(320, 240, 333333);
    shortFormat.get()->cbFormat = sizeof(VIDEOINFOHEADER) - 4;
    EXPECT_EQ(capture->QueryAccept(shortFormat.get()), S_FALSE);
    VideoInfoType noFormat(320, 240, 333333);
    noFormat.get()->formattype = GUID_NULL;
    EXPECT_EQ(capture->QueryAccept(noFormat.get()), S_FALSE);
}

// Two filters in a graph with the camera's capture pin and the grabber's input.
class ConnectionTest : public FilterTest {
  protected:
    void SetUp() override {
        FilterTest::SetUp();
        harness::checkHr(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                          IID_IGraphBuilder, graph_.putVoid()),
                         "creating the graph");
        harness::checkHr(CoCreateInstance(harness::kClsidSampleGrabber, nullptr,
                                          CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                          grabber_.putVoid()),
                         "creating the grabber");
        harness::checkHr(graph_->AddFilter(camera_.get(), L"Camera"), "adding the camera");
        harness::checkHr(graph_->AddFilter(grabber_.get(), L"Grabber"), "adding the grabber");
        capture_ = findPin(camera_.get(), L"Capture");
        input_ = findPin(grabber_.get(), L"In");
    }
    void TearDown() override {
        ComPtr<IMediaControl> control;
        if (graph_ && SUCCEEDED(graph_->QueryInterface(IID_IMediaControl, control.putVoid()))) {
            control->Stop();
        }
        FilterTest::TearDown();
    }

    ComPtr<IGraphBuilder> graph_;
    ComPtr<IBaseFilter> grabber_;
    ComPtr<IPin> capture_;
    ComPtr<IPin> input_;
};

TEST_F(ConnectionTest, UnconnectedPinSaysSo) {
    ComPtr<IPin> peer;
    EXPECT_EQ(capture_->ConnectedTo(peer.put()), VFW_E_NOT_CONNECTED);
    EXPECT_FALSE(peer);
    AM_MEDIA_TYPE type{};
    EXPECT_EQ(capture_->ConnectionMediaType(&type), VFW_E_NOT_CONNECTED);
    EXPECT_EQ(capture_->Disconnect(), S_FALSE);
}

TEST_F(ConnectionTest, ConnectsWithTheFirstOfferedTypeAndDisconnects) {
    ASSERT_EQ(graph_->ConnectDirect(capture_.get(), input_.get(), nullptr), S_OK);
    ComPtr<IPin> peer;
    ASSERT_EQ(capture_->ConnectedTo(peer.put()), S_OK);
    EXPECT_EQ(peer.get(), input_.get());
    AM_MEDIA_TYPE type{};
    ASSERT_EQ(capture_->ConnectionMediaType(&type), S_OK);
    EXPECT_EQ(shapeOf(type), (VideoShape{320, 240, 333333, 320 * 3 * 240}));
    CoTaskMemFree(type.pbFormat);

    EXPECT_EQ(capture_->Connect(input_.get(), nullptr), VFW_E_ALREADY_CONNECTED);
    EXPECT_EQ(capture_->Disconnect(), S_OK);
    EXPECT_EQ(capture_->ConnectedTo(peer.put()), VFW_E_NOT_CONNECTED);
    EXPECT_EQ(input_->Disconnect(), S_OK);
}

TEST_F(ConnectionTest, ConnectsWithTheTypeAskedFor) {
    OwnedType wanted;
    ComPtr<IEnumMediaTypes> types;
    ASSERT_EQ(capture_->EnumMediaTypes(types.put()), S_OK);
    ASSERT_EQ(types->Skip(1), S_OK);
    ASSERT_EQ(types->Next(1, wanted.put(), nullptr), S_OK);
    ASSERT_EQ(graph_->ConnectDirect(capture_.get(), input_.get(), wanted.get()), S_OK);
    AM_MEDIA_TYPE type{};
    ASSERT_EQ(capture_->ConnectionMediaType(&type), S_OK);
    EXPECT_EQ(type.formattype, FORMAT_VideoInfo2);
    EXPECT_EQ(shapeOf(type), (VideoShape{160, -120, 666667, 160 * 3 * 120}));
    CoTaskMemFree(type.pbFormat);
}

TEST_F(ConnectionTest, PartialTypeIsAPatternForTheOfferedOnes) {
    AM_MEDIA_TYPE pattern{};
    pattern.majortype = MEDIATYPE_Video;
    pattern.formattype = FORMAT_VideoInfo2;
    ASSERT_EQ(capture_->Connect(input_.get(), &pattern), S_OK);
    AM_MEDIA_TYPE type{};
    ASSERT_EQ(capture_->ConnectionMediaType(&type), S_OK);
    EXPECT_EQ(shapeOf(type).width, 160);
    CoTaskMemFree(type.pbFormat);
    ASSERT_EQ(graph_->Disconnect(capture_.get()), S_OK);
    ASSERT_EQ(graph_->Disconnect(input_.get()), S_OK);

    pattern.majortype = MEDIATYPE_Audio;
    pattern.formattype = GUID_NULL;
    EXPECT_EQ(capture_->Connect(input_.get(), &pattern), VFW_E_NO_ACCEPTABLE_TYPES);
}

TEST_F(ConnectionTest, RefusesWhatAnOutputPinCannotDo) {
    EXPECT_EQ(capture_->Connect(nullptr, nullptr), E_POINTER);
    // Another output pin.
    EXPECT_EQ(capture_->Connect(findPin(grabber_.get(), L"Out").get(), nullptr),
              VFW_E_INVALID_DIRECTION);
    // A type the camera does not offer.
    EXPECT_EQ(capture_->Connect(input_.get(), VideoInfoType(1024, 768, 333333).get()),
              VFW_E_TYPE_NOT_ACCEPTED);
    // An output pin receives no connection.
    EXPECT_EQ(capture_->ReceiveConnection(findPin(grabber_.get(), L"Out").get(),
                                          VideoInfoType(320, 240, 333333).get()),
              E_UNEXPECTED);
    ComPtr<IPin> peer;
    EXPECT_EQ(capture_->ConnectedTo(peer.put()), VFW_E_NOT_CONNECTED);
    // Refused downstream: the grabber wants RGB32, nothing the camera offers.
    ComPtr<ISampleGrabber> grabber;
    ASSERT_EQ(grabber_->QueryInterface(IID_ISampleGrabber, grabber.putVoid()), S_OK);
    AM_MEDIA_TYPE rgb32{};
    rgb32.majortype = MEDIATYPE_Video;
    rgb32.subtype = MEDIASUBTYPE_RGB32;
    ASSERT_EQ(grabber->SetMediaType(&rgb32), S_OK);
    EXPECT_EQ(capture_->Connect(input_.get(), nullptr), VFW_E_NO_ACCEPTABLE_TYPES);
    EXPECT_EQ(capture_->ConnectedTo(peer.put()), VFW_E_NOT_CONNECTED);
}

TEST_F(ConnectionTest, LiveSourceCannotCueWhenPausedAndKeepsItsConnectionWhileActive) {
    ComPtr<IBaseFilter> renderer;
    ASSERT_EQ(CoCreateInstance(harness::kClsidNullRenderer, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IBaseFilter, renderer.putVoid()),
              S_OK);
    ASSERT_EQ(graph_->AddFilter(renderer.get(), L"Renderer"), S_OK);
    ASSERT_EQ(graph_->ConnectDirect(capture_.get(), input_.get(), nullptr), S_OK);
    ASSERT_EQ(graph_->ConnectDirect(findPin(grabber_.get(), L"Out").get(),
                                    findPin(renderer.get(), L"In").get(), nullptr),
              S_OK);
    ComPtr<IMediaControl> control;
    ASSERT_EQ(graph_->QueryInterface(IID_IMediaControl, control.putVoid()), S_OK);
    FILTER_STATE state = State_Running;
    EXPECT_EQ(camera_->GetState(0, &state), S_OK);
    EXPECT_EQ(state, State_Stopped);

    ASSERT_TRUE(SUCCEEDED(control->Pause()));
    EXPECT_EQ(camera_->GetState(0, &state), VFW_S_CANT_CUE);
    EXPECT_EQ(state, State_Paused);
    EXPECT_EQ(capture_->Disconnect(), VFW_E_NOT_STOPPED);
    EXPECT_EQ(capture_->Connect(input_.get(), nullptr), VFW_E_ALREADY_CONNECTED);
    ComPtr<IPin> preview = findPin(camera_.get(), L"Preview");
    ComPtr<IBaseFilter> grabber2;
    ASSERT_EQ(CoCreateInstance(harness::kClsidSampleGrabber, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IBaseFilter, grabber2.putVoid()),
              S_OK);
    EXPECT_EQ(preview->Connect(findPin(grabber2.get(), L"In").get(), nullptr), VFW_E_NOT_STOPPED);

    ASSERT_TRUE(SUCCEEDED(control->Run()));
    EXPECT_EQ(camera_->GetState(0, &state), S_OK);
    EXPECT_EQ(state, State_Running);
    ASSERT_EQ(control->Stop(), S_OK);
    EXPECT_EQ(camera_->GetState(0, &state), S_OK);
    EXPECT_EQ(state, State_Stopped);
}

} // namespace
} // namespace camtest
