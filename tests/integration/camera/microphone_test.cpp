// The vcxcam microphone on Wine's DirectShow: listed in the audio input
// category, its stream configuration, and its stream through a graph whose
// clock is the microphone's own: every sample frame once, in order, stamped
// from the device clock; the stall and lost-device faults.
#include "camera_support.h"

#include "audio_signal.h"
#include "ids.h"

#include "vcxcap.h"

#include <evcode.h>
#include <mmreg.h>

#include <cstring>

namespace camtest {
namespace {

using harness::MicrophoneConfig;
using vcxcam::AudioFormat;

MicrophoneConfig microphone(std::wstring name, std::vector<std::wstring> formats = {}) {
    MicrophoneConfig config;
    config.friendlyName = std::move(name);
    config.formats = std::move(formats);
    return config;
}

class MicrophoneTest : public CameraTest {
  protected:
    static ComPtr<IBaseFilter> createMicrophone(int index = 0) {
        ComPtr<IBaseFilter> filter;
        harness::checkHr(CoCreateInstance(vcxcam::microphoneClsid(index), nullptr,
                                          CLSCTX_INPROC_SERVER, IID_IBaseFilter, filter.putVoid()),
                         "creating the microphone");
        return filter;
    }
};

// The microphone -> Sample Grabber (audio) -> Null Renderer, on the
// microphone's clock unless told otherwise.
struct AudioGraph {
    ComPtr<IGraphBuilder> graph;
    ComPtr<IBaseFilter> microphone;
    ComPtr<IBaseFilter> grabberFilter;
    ComPtr<IMediaControl> control;
    ComPtr<IMediaEventEx> events;

    AudioGraph(IBaseFilter* source, SampleRecorder& recorder, bool ownClock = true) {
        harness::checkHr(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                          IID_IGraphBuilder, graph.putVoid()),
                         "graph");
        source->AddRef();
        *microphone.put() = source;
        harness::checkHr(CoCreateInstance(harness::kClsidSampleGrabber, nullptr,
                                          CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                          grabberFilter.putVoid()),
                         "grabber");
        ComPtr<ISampleGrabber> grabber;
        harness::checkHr(grabberFilter->QueryInterface(IID_ISampleGrabber, grabber.putVoid()),
                         "ISampleGrabber");
        AM_MEDIA_TYPE type{};
        type.majortype = MEDIATYPE_Audio;
        harness::checkHr(grabber->SetMediaType(&type), "SetMediaType");
        harness::checkHr(grabber->SetCallback(&recorder, 0), "SetCallback");
        ComPtr<IBaseFilter> renderer;
        harness::checkHr(CoCreateInstance(harness::kClsidNullRenderer, nullptr,
                                          CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                          renderer.putVoid()),
                         "renderer");
        harness::checkHr(graph->AddFilter(source, L"Microphone"), "AddFilter");
        harness::checkHr(graph->AddFilter(grabberFilter.get(), L"Grabber"), "AddFilter");
        harness::checkHr(graph->AddFilter(renderer.get(), L"Renderer"), "AddFilter");
        ComPtr<ICaptureGraphBuilder2> builder;
        harness::checkHr(CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                                          IID_ICaptureGraphBuilder2, builder.putVoid()),
                         "builder");
        harness::checkHr(builder->SetFiltergraph(graph.get()), "SetFiltergraph");
        harness::checkHr(builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio, source,
                                               grabberFilter.get(), renderer.get()),
                         "RenderStream");
        ComPtr<IMediaFilter> mediaFilter;
        harness::checkHr(graph->QueryInterface(IID_IMediaFilter, mediaFilter.putVoid()),
                         "IMediaFilter");
        if (ownClock) {
            ComPtr<IReferenceClock> clock;
            harness::checkHr(source->QueryInterface(IID_IReferenceClock, clock.putVoid()),
                             "the microphone's clock");
            harness::checkHr(mediaFilter->SetSyncSource(clock.get()), "SetSyncSource");
        }
        harness::checkHr(graph->QueryInterface(IID_IMediaControl, control.putVoid()),
                         "IMediaControl");
        harness::checkHr(graph->QueryInterface(IID_IMediaEventEx, events.putVoid()),
                         "IMediaEventEx");
    }
    ~AudioGraph() {
        if (control) {
            control->Stop();
        }
    }
    // Whether the graph queued code within timeoutMs.
    bool waitForEvent(long code, DWORD timeoutMs) {
        const ULONGLONG deadline = GetTickCount64() + timeoutMs;
        while (GetTickCount64() < deadline) {
            long got = 0;
            LONG_PTR p1 = 0, p2 = 0;
            if (events->GetEvent(&got, &p1, &p2, 50) == S_OK) {
                events->FreeEventParams(got, p1, p2);
                if (got == code) {
                    return true;
                }
            }
        }
        return false;
    }
};

// Every frame index the samples hold, in order.
std::vector<std::uint64_t> frameIndexes(const std::vector<SampleRecorder::Sample>& samples,
                                        const AudioFormat& format) {
    std::vector<std::uint64_t> indexes;
    for (const auto& sample : samples) {
        for (std::size_t at = 0; at + format.blockAlign() <= sample.bits.size();
             at += format.blockAlign()) {
            indexes.push_back(vcxcam::readCounterSample(sample.bits.data() + at, format));
        }
    }
    return indexes;
}

TEST_F(MicrophoneTest, IsListedInTheAudioInputCategoryInOrder) {
    harness::configureMicrophones({microphone(L"Front microphone"), microphone(L"")});
    const auto entries = harness::categoryEntries(CLSID_AudioInputDeviceCategory);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].friendlyName, L"Front microphone");
    EXPECT_EQ(entries[1].friendlyName, L"vcxcam Virtual Microphone 2");
    EXPECT_EQ(entries[1].clsid, harness::guidString(vcxcam::microphoneClsid(1)));
    // And the library lists them as its audio capture devices.
    // COM is started already: S_FALSE.
    ASSERT_EQ(vcx_Init(), S_FALSE);
    char list[256] = {};
    EXPECT_EQ(vcx_GetDeviceList(list, 1), 2);
    EXPECT_STREQ(list, "Front microphone\r\nvcxcam Virtual Microphone 2\r\n");
    vcx_Exit();
    harness::configureMicrophones({});
    EXPECT_TRUE(harness::categoryEntries(CLSID_AudioInputDeviceCategory).empty());
}

TEST_F(MicrophoneTest, StreamConfigurationOffersTheFormatsAndTakesOnlyThem) {
    harness::configureMicrophones({microphone(L"Mic", {L"48000,2,16", L"8000,1,8"})});
    ComPtr<IBaseFilter> microphone = createMicrophone();
    ComPtr<IAMStreamConfig> config = streamConfig(microphone.get());
    ASSERT_TRUE(config);
    int count = 0, size = 0;
    ASSERT_EQ(config->GetNumberOfCapabilities(&count, &size), S_OK);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(size, static_cast<int>(sizeof(AUDIO_STREAM_CONFIG_CAPS)));
    const AudioFormat expected[] = {{48000, 2, 16}, {8000, 1, 8}};
    for (int index = 0; index < 2; ++index) {
        OwnedType type;
        AUDIO_STREAM_CONFIG_CAPS caps{};
        ASSERT_EQ(config->GetStreamCaps(index, type.put(), reinterpret_cast<BYTE*>(&caps)), S_OK);
        EXPECT_EQ(vcxcam::readAudioType(*type.get()), expected[index]);
        EXPECT_EQ(caps.MinimumSampleFrequency, expected[index].sampleRate);
        EXPECT_EQ(caps.MaximumChannels, expected[index].channels);
    }
    // 44100,2,16 is not one of them; 8000,1,8 is.
    filterbase::MediaType other;
    ASSERT_EQ(vcxcam::makeAudioType({44100, 2, 16}, other), S_OK);
    EXPECT_EQ(config->SetFormat(const_cast<AM_MEDIA_TYPE*>(&other.get())), VFW_E_INVALIDMEDIATYPE);
    filterbase::MediaType listed;
    ASSERT_EQ(vcxcam::makeAudioType({8000, 1, 8}, listed), S_OK);
    EXPECT_EQ(config->SetFormat(const_cast<AM_MEDIA_TYPE*>(&listed.get())), S_OK);
    OwnedType now;
    ASSERT_EQ(config->GetFormat(now.put()), S_OK);
    EXPECT_EQ(vcxcam::readAudioType(*now.get()), (AudioFormat{8000, 1, 8}));
}

TEST_F(MicrophoneTest, SwitchesTakeAwayTheFormatChoiceOrTheClock) {
    MicrophoneConfig refusing = microphone(L"Refusing");
    refusing.refuseFormats = 1;
    MicrophoneConfig plain = microphone(L"Plain");
    plain.noStreamConfig = 1;
    plain.noClock = 1;
    harness::configureMicrophones({refusing, plain});
    ComPtr<IAMStreamConfig> refusingConfig = streamConfig(createMicrophone(0).get());
    ASSERT_TRUE(refusingConfig);
    filterbase::MediaType first;
    ASSERT_EQ(vcxcam::makeAudioType(vcxcam::defaultAudioFormats().front(), first), S_OK);
    EXPECT_EQ(refusingConfig->SetFormat(const_cast<AM_MEDIA_TYPE*>(&first.get())),
              VFW_E_INVALIDMEDIATYPE);
    ComPtr<IBaseFilter> plainFilter = createMicrophone(1);
    ComPtr<IReferenceClock> clock;
    EXPECT_EQ(plainFilter->QueryInterface(IID_IReferenceClock, clock.putVoid()), E_NOINTERFACE);
    ComPtr<IPin> pin = findPin(plainFilter.get(), L"Capture");
    ASSERT_TRUE(pin);
    ComPtr<IAMStreamConfig> none;
    EXPECT_EQ(pin->QueryInterface(IID_IAMStreamConfig, none.putVoid()), E_NOINTERFACE);
}

TEST_F(MicrophoneTest, DeliversEveryFrameOnceStampedFromItsClock) {
    const AudioFormat format{22050, 2, 16};
    harness::configureMicrophones({microphone(L"Mic", {L"22050,2,16"})});
    ComPtr<IBaseFilter> microphone = createMicrophone();
    SampleRecorder recorder(1000);
    AudioGraph graph(microphone.get(), recorder);
    ComPtr<IReferenceClock> clock;
    ASSERT_EQ(microphone->QueryInterface(IID_IReferenceClock, clock.putVoid()), S_OK);
    REFERENCE_TIME before = 0;
    ASSERT_EQ(clock->GetTime(&before), S_OK);
    ASSERT_TRUE(SUCCEEDED(graph.control->Run()));
    // 50 buffers of 20 ms: a second of sound.
    ASSERT_TRUE(recorder.waitFor(50, 10000));
    graph.control->Stop();
    REFERENCE_TIME after = 0;
    ASSERT_EQ(clock->GetTime(&after), S_OK);
    EXPECT_GT(after, before);

    const auto samples = recorder.samples();
    const std::vector<std::uint64_t> indexes = frameIndexes(samples, format);
    ASSERT_GE(indexes.size(), 50u * 441u);
    for (std::size_t i = 0; i < indexes.size(); ++i) {
        ASSERT_EQ(indexes[i], i) << "frame " << i << " lost or doubled";
    }
    // Buffers follow each other without gap or overlap, each as long as its
    // frames at the rate (within the rounding to 100 ns).
    std::uint64_t frames = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto& sample = samples[i];
        ASSERT_TRUE(sample.timed);
        EXPECT_EQ(sample.discontinuity, i == 0);
        const std::uint64_t count = sample.bits.size() / format.blockAlign();
        EXPECT_EQ(count, 441u) << "buffer " << i;
        const REFERENCE_TIME length = sample.stop - sample.start;
        EXPECT_NEAR(static_cast<double>(length), count * 1e7 / format.sampleRate, 1.0);
        if (i > 0) {
            EXPECT_EQ(sample.start, samples[i - 1].stop) << "buffer " << i;
        }
        frames += count;
    }
    EXPECT_EQ(frames, indexes.size());
}

struct FaultCase {
    const char* name;
    DWORD stallAfter;
    DWORD loseAfter;
};

class MicrophoneFaults : public MicrophoneTest, public testing::WithParamInterface<FaultCase> {};

TEST_P(MicrophoneFaults, DeliverExactlyTheirFramesThenNothing) {
    const FaultCase& fault = GetParam();
    MicrophoneConfig config = microphone(L"Faulty", {L"8000,1,16"});
    config.stallAfter = fault.stallAfter;
    config.loseAfter = fault.loseAfter;
    harness::configureMicrophones({config});
    ComPtr<IBaseFilter> microphone = createMicrophone();
    SampleRecorder recorder(1000);
    AudioGraph graph(microphone.get(), recorder);
    ASSERT_TRUE(SUCCEEDED(graph.control->Run()));
    const DWORD limit = fault.loseAfter != 0 ? fault.loseAfter : fault.stallAfter;
    if (fault.loseAfter != 0) {
        EXPECT_TRUE(graph.waitForEvent(EC_DEVICE_LOST, 5000));
    }
    // The limit's frames, then nothing for ten buffer times more.
    ASSERT_TRUE(recorder.waitFor((limit + 159) / 160, 5000));
    Sleep(200);
    graph.control->Stop();
    const std::vector<std::uint64_t> indexes =
        frameIndexes(recorder.samples(), AudioFormat{8000, 1, 16});
    ASSERT_EQ(indexes.size(), limit);
    for (std::size_t i = 0; i < indexes.size(); ++i) {
        ASSERT_EQ(indexes[i], i);
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, MicrophoneFaults,
                         testing::Values(FaultCase{"Stall", 1000, 0}, FaultCase{"Lost", 0, 1234}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace camtest
