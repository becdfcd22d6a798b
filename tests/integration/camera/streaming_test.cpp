// The camera streaming into camera -> Sample Grabber -> Null Renderer graphs
// built by Capture Graph Builder 2: the exact picture in every format and
// orientation, with and without a preview pin, at the format's rate, across
// run / pause / stop cycles and filter releases.
#include "camera_support.h"

#include "filterbase/media_type.h"

#include "process_counters.h"
#include "stream_stats.h"

#include <psapi.h>

#include <cstdlib>
#include <set>
#include <string>
#include <tuple>
#include <utility>

namespace camtest {
namespace {

constexpr CLSID kClsidSmartTee = {
    0xcc58e280, 0x8aa1, 0x11d1, {0xb3, 0xf1, 0x00, 0xaa, 0x00, 0x37, 0x61, 0xc5}};

using StreamingTest = CameraTest;

// Frames of this shape reach the grabber and each is the test picture.
void expectPictureFrames(PreviewGraph& graph, long width, long height) {
    ASSERT_TRUE(SUCCEEDED(graph.control->Run()));
    const std::vector<std::uint8_t> frame = waitForFrame(graph.grabber.get());
    ASSERT_EQ(frame.size(), rgb24FrameBytes(width, height));
    EXPECT_TRUE(matchPicture(frame, width, height).has_value())
        << "the frame is not the test picture at " << width << "x" << height;
    ASSERT_EQ(graph.control->Stop(), S_OK);
}

// Pixels at the corners and inside frame number f compared with the picture's
// definition (vcxcam/README.md), computed here: matchPicture draws with the
// camera's own code, so a fault there would pass it.
void expectDocumentedPixels(const std::vector<std::uint8_t>& frame, long width, long height,
                            std::uint32_t f) {
    const long right = width - 1;
    const long bottom = std::labs(height) - 1;
    for (const auto& [x, y] : {std::pair{0L, 0L}, std::pair{right, 0L}, std::pair{0L, bottom},
                               std::pair{right, bottom}, std::pair{width / 2 + 1, bottom / 2}}) {
        const Rgb drawn{static_cast<int>((x ^ y) % 256), static_cast<int>(y % 256),
                        static_cast<int>((x + static_cast<long>(f)) % 256)};
        EXPECT_EQ(pixelOf(frame, width, height, x, y), drawn)
            << "frame " << f << ", pixel " << x << ", " << y;
    }
}

// Format line, preview pin.
class PictureTest : public CameraTest,
                    public testing::WithParamInterface<std::tuple<const wchar_t*, DWORD>> {};

TEST_P(PictureTest, GrabbedFrameIsExactlyThePicture) {
    const auto [format, previewPin] = GetParam();
    harness::configureCameras(
        {harness::CameraConfig{L"Picture camera", {format}, previewPin, 0, 0}});
    ComPtr<IBaseFilter> camera = bindCamera(L"Picture camera");
    auto graph = buildPreviewGraph(camera.get());
    if (previewPin) {
        EXPECT_EQ(graph->renderResult, S_OK);
        EXPECT_FALSE(graphHas(graph->graph.get(), kClsidSmartTee));
    } else {
        // Only a capture pin: Wine splits it with a Smart Tee.
        EXPECT_EQ(graph->renderResult, VFW_S_NOPREVIEWPIN);
        EXPECT_TRUE(graphHas(graph->graph.get(), kClsidSmartTee));
    }
    const VideoShape shape = grabberShape(graph->grabber.get());
    EXPECT_EQ(shape.width, 320);
    EXPECT_EQ(std::labs(shape.height), 240);
    expectPictureFrames(*graph, shape.width, shape.height);
}

INSTANTIATE_TEST_SUITE_P(Orientations, PictureTest,
                         testing::Combine(testing::Values(L"320x240@30", L"320x-240@30"),
                                          testing::Values(DWORD{0}, DWORD{1})));

TEST_F(StreamingTest, Vi2CapabilityStreamsAsVideoInfo2) {
    harness::configureCameras(
        {harness::CameraConfig{L"Vi2 camera", {L"vi2:176x-144@30"}, 1, 0, 0}});
    ComPtr<IBaseFilter> camera = createCamera(0);
    auto graph = buildPreviewGraph(camera.get());
    AM_MEDIA_TYPE type{};
    ASSERT_EQ(graph->grabber->GetConnectedMediaType(&type), S_OK);
    EXPECT_EQ(type.formattype, FORMAT_VideoInfo2);
    CoTaskMemFree(type.pbFormat);
    expectPictureFrames(*graph, 176, -144);
}

TEST_F(StreamingTest, SetFormatToEachCapabilityChangesTheDeliveredSize) {
    harness::restoreDefaultCameras();
    int count = 0;
    int size = 0;
    ASSERT_EQ(streamConfig(createCamera(0).get())->GetNumberOfCapabilities(&count, &size), S_OK);
    ASSERT_EQ(count, 4);
    for (int index = 0; index < count; ++index) {
        ComPtr<IBaseFilter> camera = createCamera(0);
        ComPtr<IAMStreamConfig> config = streamConfig(camera.get());
        OwnedType type;
        VIDEO_STREAM_CONFIG_CAPS caps{};
        ASSERT_EQ(config->GetStreamCaps(index, type.put(), reinterpret_cast<BYTE*>(&caps)), S_OK);
        ASSERT_EQ(config->SetFormat(type.get()), S_OK);
        const VideoShape wanted = shapeOf(*type.get());
        auto graph = buildPreviewGraph(camera.get());
        EXPECT_EQ(grabberShape(graph->grabber.get()), wanted) << "capability " << index;
        expectPictureFrames(*graph, wanted.width, wanted.height);
    }
}

TEST_F(StreamingTest, SetFormatOnTheCapturePinSizesThePreviewPinToo) {
    harness::configureCameras(
        {harness::CameraConfig{L"Two pins", {L"320x240@30", L"160x-120@30"}, 1, 0, 0}});
    ComPtr<IBaseFilter> camera = createCamera(0);
    ASSERT_EQ(streamConfig(camera.get())->SetFormat(VideoInfoType(160, -120, 333333).get()), S_OK);
    auto graph = buildPreviewGraph(camera.get());
    EXPECT_EQ(grabberShape(graph->grabber.get()), (VideoShape{160, -120, 333333, 160 * 3 * 120}));
    expectPictureFrames(*graph, 160, -120);
}

TEST_F(StreamingTest, SetFormatWhileConnectedReconnectsThePin) {
    harness::configureCameras(
        {harness::CameraConfig{L"Reconnect", {L"320x240@30", L"160x-120@30"}, 1, 0, 0}});
    ComPtr<IBaseFilter> camera = createCamera(0);
    auto graph = buildPreviewGraph(camera.get());
    ASSERT_EQ(grabberShape(graph->grabber.get()).width, 320);
    ASSERT_EQ(streamConfig(camera.get())->SetFormat(VideoInfoType(160, -120, 333333).get()), S_OK);
    EXPECT_EQ(grabberShape(graph->grabber.get()), (VideoShape{160, -120, 333333, 160 * 3 * 120}));
    expectPictureFrames(*graph, 160, -120);
    // Not while the graph runs.
    ASSERT_TRUE(SUCCEEDED(graph->control->Run()));
    EXPECT_EQ(streamConfig(camera.get())->SetFormat(VideoInfoType(320, 240, 333333).get()),
              VFW_E_NOT_STOPPED);
}

// A second branch in graph: the camera's pin of category -> a Sample Grabber
// that buffers samples, takes only subtype when one is given and calls
// recorder back when one is given -> a Null Renderer.
ComPtr<ISampleGrabber> addGrabberBranch(PreviewGraph& graph, IBaseFilter* camera,
                                        const GUID& category, const GUID* subtype = nullptr,
                                        SampleRecorder* recorder = nullptr) {
    ComPtr<IBaseFilter> grabberFilter;
    ComPtr<IBaseFilter> renderer;
    ComPtr<ISampleGrabber> grabber;
    harness::checkHr(CoCreateInstance(harness::kClsidSampleGrabber, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IBaseFilter, grabberFilter.putVoid()),
                     "creating the second Sample Grabber");
    harness::checkHr(CoCreateInstance(harness::kClsidNullRenderer, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IBaseFilter, renderer.putVoid()),
                     "creating the second Null Renderer");
    harness::checkHr(grabberFilter->QueryInterface(IID_ISampleGrabber, grabber.putVoid()),
                     "querying ISampleGrabber");
    if (subtype != nullptr) {
        AM_MEDIA_TYPE type{};
        type.majortype = MEDIATYPE_Video;
        type.subtype = *subtype;
        harness::checkHr(grabber->SetMediaType(&type), "ISampleGrabber::SetMediaType");
    }
    harness::checkHr(grabber->SetBufferSamples(TRUE), "SetBufferSamples");
    if (recorder != nullptr) {
        harness::checkHr(grabber->SetCallback(recorder, 0), "ISampleGrabber::SetCallback");
    }
    harness::checkHr(graph.graph->AddFilter(grabberFilter.get(), L"Second grabber"),
                     "adding the second grabber");
    harness::checkHr(graph.graph->AddFilter(renderer.get(), L"Second renderer"),
                     "adding the second renderer");
    harness::checkHr(graph.builder->RenderStream(&category, &MEDIATYPE_Video, camera,
                                                 grabberFilter.get(), renderer.get()),
                     "RenderStream to the second grabber");
    return grabber;
}

TEST_F(StreamingTest, BothPinsDeliverTheSamePicture) {
    harness::configureCameras({harness::CameraConfig{L"Both pins", {L"320x240@15"}, 1, 0, 0}});
    ComPtr<IBaseFilter> camera = createCamera(0);
    auto preview = buildPreviewGraph(camera.get(), PIN_CATEGORY_PREVIEW);
    const ComPtr<ISampleGrabber> grabber =
        addGrabberBranch(*preview, camera.get(), PIN_CATEGORY_CAPTURE);
    ASSERT_TRUE(SUCCEEDED(preview->control->Run()));
    const std::vector<std::uint8_t> captured = waitForFrame(grabber.get());
    const std::vector<std::uint8_t> previewed = waitForFrame(preview->grabber.get());
    ASSERT_EQ(preview->control->Stop(), S_OK);
    EXPECT_TRUE(matchPicture(captured, 320, 240).has_value());
    EXPECT_TRUE(matchPicture(previewed, 320, 240).has_value());
}

// The subtype the camera's pin is connected with.
GUID connectedSubtype(IBaseFilter* camera, const wchar_t* pin) {
    AM_MEDIA_TYPE type{};
    harness::checkHr(findPin(camera, pin)->ConnectionMediaType(&type), "ConnectionMediaType");
    const GUID subtype = type.subtype;
    filterbase::freeMediaTypeFields(type);
    return subtype;
}

// Capture in YUY2 and preview in RGB24 at one size: the stream makes each
// frame once per format, so each pin gets its own subtype's bytes of the same
// frame; and a property in auto mode moves one step a frame, however many
// formats the frame was drawn for. StallAfter lets exactly kFrames frames
// through each stream, so the step count is known; a run of a single frame
// steps too, whatever frame the run before ended on.
TEST_F(StreamingTest, PinsInTwoSubtypesGetTheirOwnBytesAndAutoModeStepsOnceAFrame) {
    for (const int kFrames : {6, 1}) {
        SCOPED_TRACE(kFrames);
        harness::CameraConfig config{L"Two subtypes", {L"64x48@60:YUY2", L"64x48@60"}, 1, 0, 0};
        config.controls = std::vector<std::wstring>{L"Pan -180 180 1 0 both auto"};
        config.stallAfter = kFrames;
        harness::configureCameras({config});
        ComPtr<IBaseFilter> camera = createCamera(0);
        ComPtr<IAMCameraControl> controls;
        ASSERT_EQ(camera->QueryInterface(IID_IAMCameraControl, controls.putVoid()), S_OK);
        const auto pan = [&] {
            long value = 0;
            long flags = 0;
            EXPECT_EQ(controls->Get(CameraControl_Pan, &value, &flags), S_OK);
            EXPECT_EQ(flags, CameraControl_Flags_Auto);
            return value;
        };
        SampleRecorder previewed(kFrames);
        SampleRecorder captured(kFrames);
        // The preview pin takes its second type, RGB24; the capture pin its first.
        auto graph = buildPreviewGraph(camera.get(), PIN_CATEGORY_PREVIEW, &previewed);
        addGrabberBranch(*graph, camera.get(), PIN_CATEGORY_CAPTURE, &MEDIASUBTYPE_YUY2, &captured);
        EXPECT_EQ(connectedSubtype(camera.get(), L"Capture"), MEDIASUBTYPE_YUY2);
        EXPECT_EQ(connectedSubtype(camera.get(), L"Preview"), MEDIASUBTYPE_RGB24);

        const long before = pan();
        for (int run = 1; run <= 2; ++run) {
            previewed.clear();
            captured.clear();
            ASSERT_TRUE(SUCCEEDED(graph->control->Run())) << "run " << run;
            ASSERT_TRUE(previewed.waitFor(kFrames)) << "run " << run;
            ASSERT_TRUE(captured.waitFor(kFrames)) << "run " << run;
            ASSERT_EQ(graph->control->Stop(), S_OK);
            EXPECT_EQ(pan(), before + run * kFrames) << "run " << run;
            const std::vector<SampleRecorder::Sample> rgb = previewed.samples();
            const std::vector<SampleRecorder::Sample> yuy2 = captured.samples();
            ASSERT_EQ(rgb.size(), static_cast<std::size_t>(kFrames)) << "run " << run;
            ASSERT_EQ(yuy2.size(), static_cast<std::size_t>(kFrames)) << "run " << run;
            for (int i = 0; i < kFrames; ++i) {
                const auto f = static_cast<std::uint32_t>(i);
                EXPECT_EQ(yuy2[i].bits, cameraFrame(64, 48, vcxcam::Subtype::Yuy2, f))
                    << "frame " << f;
                EXPECT_EQ(rgb[i].bits, cameraFrame(64, 48, vcxcam::Subtype::Rgb24, f))
                    << "frame " << f;
                expectDocumentedPixels(rgb[i].bits, 64, 48, f);
            }
            // Pixels (12, 0) and (13, 0) of frame 0, drawn r g b (12, 0, 12) and
            // (13, 0, 13): Y 20 and 21, U 131 and 132, V 132 and 133; the pair's U
            // floor((131 + 132 + 1) / 2) = 132, V floor((132 + 133 + 1) / 2) = 133.
            ASSERT_EQ(yuy2[0].bits.size(), 64u * 48 * 2);
            EXPECT_EQ(
                std::vector<std::uint8_t>(yuy2[0].bits.begin() + 24, yuy2[0].bits.begin() + 28),
                (std::vector<std::uint8_t>{20, 132, 21, 133}));
        }
    }
}

TEST_F(StreamingTest, FramesComeFromOneThreadAtTheFormatRateStampedFromTheClock) {
    harness::configureCameras({harness::CameraConfig{L"Timed", {L"160x120@30"}, 0, 0, 0}});
    ComPtr<IBaseFilter> camera = createCamera(0);
    SampleRecorder recorder(3);
    // The capture pin straight into the grabber: the Smart Tee would drop
    // the time stamps of its preview output.
    auto graph = buildPreviewGraph(camera.get(), PIN_CATEGORY_CAPTURE, &recorder);
    ASSERT_TRUE(SUCCEEDED(graph->control->Run()));
    ComPtr<IReferenceClock> graphClock;
    ComPtr<IMediaFilter> graphFilter;
    ASSERT_EQ(graph->graph->QueryInterface(IID_IMediaFilter, graphFilter.putVoid()), S_OK);
    ASSERT_EQ(graphFilter->GetSyncSource(graphClock.put()), S_OK);
    ComPtr<IReferenceClock> cameraClock;
    ASSERT_EQ(camera->GetSyncSource(cameraClock.put()), S_OK);
    EXPECT_EQ(cameraClock.get(), graphClock.get());
    ASSERT_TRUE(recorder.waitFor(45));
    ASSERT_EQ(graph->control->Stop(), S_OK);

    const std::vector<SampleRecorder::Sample> samples = recorder.samples();
    constexpr REFERENCE_TIME kInterval = 333333;
    std::set<DWORD> threads;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const SampleRecorder::Sample& sample = samples[i];
        threads.insert(sample.threadId);
        ASSERT_TRUE(sample.timed) << "sample " << i;
        EXPECT_EQ(sample.stop - sample.start, kInterval) << "sample " << i;
        EXPECT_EQ(sample.discontinuity, i == 0) << "sample " << i;
        if (i > 0) {
            const REFERENCE_TIME step = sample.start - samples[i - 1].start;
            EXPECT_GT(step, 0) << "sample " << i;
            EXPECT_EQ(step % kInterval, 0) << "sample " << i;
        }
    }
    ASSERT_EQ(threads.size(), 1u);
    EXPECT_NE(*threads.begin(), GetCurrentThreadId());
    // 45 or more frames span 1.5 s of stream time at 30 frames a second,
    // with hardly a frame time passed over.
    const REFERENCE_TIME span = samples.back().start - samples.front().start;
    EXPECT_GE(span, static_cast<REFERENCE_TIME>(samples.size() - 1) * kInterval);
    EXPECT_LE(span, static_cast<REFERENCE_TIME>(samples.size() + 2) * kInterval);
    // The first frames of the run are pictures 0, 1, 2.
    for (std::uint32_t f = 0; f < 3; ++f) {
        EXPECT_EQ(matchPicture(samples[f].bits, 160, 120), f);
        expectDocumentedPixels(samples[f].bits, 160, 120, f);
    }
}

// Wine's graph means its stream to start 200 ms after Run (its stream start
// time); the camera starts when it runs, so frame 0 is due the start-up delay
// after Run and carries that moment in stream time, negative before the
// stream start.
constexpr REFERENCE_TIME kWineStreamStartAfterRun = 2'000'000;

struct StartCase {
    const char* name;
    DWORD delayMs; // the camera's StartupDelay
};

class StreamStartTest : public CameraTest, public testing::WithParamInterface<StartCase> {};

INSTANTIATE_TEST_SUITE_P(Delays, StreamStartTest,
                         testing::Values(StartCase{"AtOnce", 0}, StartCase{"AfterDelay", 400}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(StreamStartTest, FirstFrameIsDueTheStartUpDelayAfterRunInStreamTime) {
    const DWORD delayMs = GetParam().delayMs;
    harness::configureCameras({harness::CameraConfig{L"Start", {L"160x120@30"}, 0, 0, 0, delayMs}});
    ComPtr<IBaseFilter> camera = createCamera(0);
    SampleRecorder recorder(1);
    // The capture pin straight into the grabber, which keeps the time stamps.
    auto graph = buildPreviewGraph(camera.get(), PIN_CATEGORY_CAPTURE, &recorder);
    LARGE_INTEGER frequency{}, beforeRun{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&beforeRun);
    ASSERT_TRUE(SUCCEEDED(graph->control->Run()));
    ASSERT_TRUE(recorder.waitFor(2));
    ASSERT_EQ(graph->control->Stop(), S_OK);

    const SampleRecorder::Sample first = recorder.samples().front();
    const double waitedMs = static_cast<double>(first.arrival - beforeRun.QuadPart) * 1e3 /
                            static_cast<double>(frequency.QuadPart);
    EXPECT_GE(waitedMs, static_cast<double>(delayMs));
    ASSERT_TRUE(first.timed);
    // The camera runs after the graph took its start time: frame 0 is due no
    // earlier than the delay after that, and (on a loaded machine) within
    // 100 ms of it.
    const REFERENCE_TIME earliest =
        static_cast<REFERENCE_TIME>(delayMs) * 10'000 - kWineStreamStartAfterRun;
    EXPECT_GE(first.start, earliest);
    EXPECT_LT(first.start, earliest + 1'000'000);
    EXPECT_EQ(matchPicture(first.bits, 160, 120), 0u);
}

TEST_F(StreamingTest, EveryRunStartsAtPictureZeroAndNothingMovesWhenNotRunning) {
    harness::configureCameras({harness::CameraConfig{L"Cycles", {L"160x-120@60"}, 1, 0, 0}});
    ComPtr<IBaseFilter> camera = createCamera(0);
    ComPtr<vcxcam::IStreamStats> stats;
    ASSERT_EQ(camera->QueryInterface(vcxcam::kIidStreamStats, stats.putVoid()), S_OK);
    SampleRecorder recorder(2);
    auto graph = buildPreviewGraph(camera.get(), PIN_CATEGORY_PREVIEW, &recorder);
    vcxcam::StreamStats state{};
    for (int cycle = 0; cycle < 20; ++cycle) {
        recorder.clear();
        ASSERT_TRUE(SUCCEEDED(graph->control->Run())) << "cycle " << cycle;
        ASSERT_TRUE(recorder.waitFor(2)) << "cycle " << cycle;
        if (cycle % 2 == 1) {
            // Paused, the camera sends nothing; running again starts over.
            ASSERT_TRUE(SUCCEEDED(graph->control->Pause()));
            FILTER_STATE filterState{};
            EXPECT_EQ(camera->GetState(0, &filterState), VFW_S_CANT_CUE);
            Sleep(50);
            recorder.clear();
            Sleep(100);
            EXPECT_EQ(recorder.count(), 0u) << "cycle " << cycle;
            ASSERT_TRUE(SUCCEEDED(graph->control->Run()));
            ASSERT_TRUE(recorder.waitFor(2)) << "cycle " << cycle;
        }
        ASSERT_EQ(graph->control->Stop(), S_OK);
        const std::vector<SampleRecorder::Sample> samples = recorder.samples();
        EXPECT_EQ(matchPicture(samples[0].bits, 160, -120), 0u) << "cycle " << cycle;
        EXPECT_EQ(matchPicture(samples[1].bits, 160, -120), 1u) << "cycle " << cycle;
        expectDocumentedPixels(samples[1].bits, 160, -120, 1);
        ASSERT_EQ(stats->GetStreamStats(&state), S_OK);
        EXPECT_FALSE(state.streaming) << "cycle " << cycle;
        const std::size_t stopped = recorder.count();
        Sleep(100);
        EXPECT_EQ(recorder.count(), stopped) << "cycle " << cycle;
    }
}

// The system clock with a reference count of its own, given to a graph: the
// count shows what the graph's filters hold of it.
class CountingClock final : public IReferenceClock {
  public:
    CountingClock() {
        harness::checkHr(CoCreateInstance(CLSID_SystemClock, nullptr, CLSCTX_INPROC_SERVER,
                                          IID_IReferenceClock, clock_.putVoid()),
                         "creating the system clock");
    }
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IReferenceClock ? this : nullptr;
        if (*out == nullptr) {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&references_); }
    STDMETHODIMP_(ULONG) Release() override { return InterlockedDecrement(&references_); }
    STDMETHODIMP GetTime(REFERENCE_TIME* time) override { return clock_->GetTime(time); }
    STDMETHODIMP AdviseTime(REFERENCE_TIME base, REFERENCE_TIME offset, HEVENT event,
                            DWORD_PTR* cookie) override {
        return clock_->AdviseTime(base, offset, event, cookie);
    }
    STDMETHODIMP AdvisePeriodic(REFERENCE_TIME start, REFERENCE_TIME period, HSEMAPHORE semaphore,
                                DWORD_PTR* cookie) override {
        return clock_->AdvisePeriodic(start, period, semaphore, cookie);
    }
    STDMETHODIMP Unadvise(DWORD_PTR cookie) override { return clock_->Unadvise(cookie); }

    LONG references() { return InterlockedCompareExchange(&references_, 0, 0); }

  private:
    ComPtr<IReferenceClock> clock_;
    LONG references_ = 1; // the test's own
};

TEST_F(StreamingTest, EveryRunGivesBackTheClockItTook) {
    harness::configureCameras({harness::CameraConfig{L"Clocked", {L"160x120@60"}, 0, 0, 0}});
    CountingClock clock;
    {
        ComPtr<IBaseFilter> camera = createCamera(0);
        SampleRecorder recorder(0);
        auto graph = buildPreviewGraph(camera.get(), PIN_CATEGORY_CAPTURE, &recorder);
        ComPtr<IMediaFilter> graphFilter;
        ASSERT_EQ(graph->graph->QueryInterface(IID_IMediaFilter, graphFilter.putVoid()), S_OK);
        ASSERT_EQ(graphFilter->SetSyncSource(&clock), S_OK);
        const LONG stopped = clock.references();
        for (int cycle = 0; cycle < 4; ++cycle) {
            recorder.clear();
            ASSERT_TRUE(SUCCEEDED(graph->control->Run())) << "cycle " << cycle;
            ASSERT_TRUE(recorder.waitFor(2)) << "cycle " << cycle;
            // Paused and run again: a second run without a stop between.
            ASSERT_TRUE(SUCCEEDED(graph->control->Pause())) << "cycle " << cycle;
            recorder.clear();
            ASSERT_TRUE(SUCCEEDED(graph->control->Run())) << "cycle " << cycle;
            ASSERT_TRUE(recorder.waitFor(2)) << "cycle " << cycle;
            ASSERT_EQ(graph->control->Stop(), S_OK);
            EXPECT_EQ(clock.references(), stopped) << "cycle " << cycle;
        }
    }
    EXPECT_EQ(clock.references(), 1) << "references left with the graph gone";
}

// One camera's life: made, streamed into a graph, stopped, released.
void streamOnce(int frames) {
    ComPtr<IBaseFilter> camera = createCamera(0);
    SampleRecorder recorder(0);
    auto graph = buildPreviewGraph(camera.get(), PIN_CATEGORY_PREVIEW, &recorder);
    ASSERT_TRUE(SUCCEEDED(graph->control->Run()));
    ASSERT_TRUE(recorder.waitFor(static_cast<std::size_t>(frames)));
    ASSERT_TRUE(SUCCEEDED(graph->control->Pause()));
    ASSERT_TRUE(SUCCEEDED(graph->control->Run()));
    ASSERT_EQ(graph->control->Stop(), S_OK);
}

// Each Wine filter graph made and released leaves one handle behind (seen
// with a bare graph), so a camera's cycles are measured against the same
// number of bare graphs.
void bareGraph() {
    ComPtr<IGraphBuilder> graph;
    ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                               graph.putVoid()),
              S_OK);
}

// Memory in use, as the working set: Wine's PrivateUsage is always 0.
std::size_t workingSetBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters))) {
        throw harness::Failure("GetProcessMemoryInfo failed");
    }
    return counters.WorkingSetSize;
}

struct Growth {
    std::ptrdiff_t threads;
    std::ptrdiff_t handles;
    std::ptrdiff_t bytes;
};

template <class Step> Growth growthOver(int cycles, Step step) {
    // Once first, so that what Wine makes once per process exists.
    step();
    Sleep(200);
    const std::size_t threads = harness::processThreadCount();
    const std::size_t handles = harness::processHandleCount();
    const std::size_t bytes = workingSetBytes();
    for (int cycle = 0; cycle < cycles; ++cycle) {
        step();
    }
    Sleep(200);
    return Growth{static_cast<std::ptrdiff_t>(harness::processThreadCount() - threads),
                  static_cast<std::ptrdiff_t>(harness::processHandleCount() - handles),
                  static_cast<std::ptrdiff_t>(workingSetBytes() - bytes)};
}

TEST_F(StreamingTest, NoThreadHandleOrObjectOutlivesTheCamera) {
    // Big frames, so that buffers left behind would show: 2.7 MB each.
    harness::configureCameras({harness::CameraConfig{L"Leaks", {L"1280x720@60"}, 0, 0, 0}});
    // Holds the DLL so that DllCanUnloadNow can be asked at the end.
    const HMODULE dll = LoadLibraryW(harness::vcxcamPath().c_str());
    ASSERT_NE(dll, nullptr);
    using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
    const auto canUnloadNow = reinterpret_cast<CanUnloadNow>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
    ASSERT_NE(canUnloadNow, nullptr);

    constexpr int kCycles = 12;
    const Growth graphs = growthOver(kCycles, bareGraph);
    const Growth cameras = growthOver(kCycles, [] { streamOnce(3); });
    // A thread or handle left per camera would add kCycles of them; Wine's
    // own threads may come and go by a few.
    EXPECT_LE(cameras.threads, 3);
    EXPECT_LE(cameras.handles, graphs.handles + 3)
        << "bare graphs left " << graphs.handles << " handles";
    // One camera's four buffers are 11 MB; a camera's worth left per cycle
    // would be 130 MB.
    EXPECT_LT(cameras.bytes, 24 << 20) << "bare graphs grew by " << graphs.bytes << " bytes";
    EXPECT_EQ(canUnloadNow(), S_OK);
    FreeLibrary(dll);
}

} // namespace
} // namespace camtest
