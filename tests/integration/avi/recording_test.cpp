// Recordings of the library's AVI writer on Wine, left for
// check-recordings.sh to read with ffprobe and ffmpeg (recordings.h).
#include "avi/avi_output.h"
#include "avi/avi_writer.h"

#include "camera_support.h"
#include "graph_spy.h"
#include "ids.h"
#include "library.h"
#include "picture.h"
#include "recordings.h"
#include "stream_stats.h"
#include "vcxcap.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

using avirec::timeRecording;
using avirec::Timing;
using avirec::writeExpectation;
using camtest::ComPtr;

// A file that fails one write after taking half its bytes, as a full disk does.
class FailingFile final : public vcx::avi::FileOutput {
  public:
    explicit FailingFile(int failingWrite)
        : file_(vcx::avi::createFileOutput()), failingWrite_(failingWrite) {}
    HRESULT open(const wchar_t* name, bool* created) override { return file_->open(name, created); }
    HRESULT write(const void* data, DWORD bytes) override {
        if (writes_++ != failingWrite_) {
            return file_->write(data, bytes);
        }
        file_->write(data, bytes / 2);
        return HRESULT_FROM_WIN32(ERROR_HANDLE_DISK_FULL);
    }
    HRESULT seek(ULONGLONG offset) override { return file_->seek(offset); }
    HRESULT truncate(ULONGLONG offset) override { return file_->truncate(offset); }
    void close() override { file_->close(); }
    void remove(const wchar_t* name) override { file_->remove(name); }

  private:
    std::unique_ptr<vcx::avi::FileOutput> file_;
    const int failingWrite_;
    int writes_ = 0;
};

// camera -> writer, connected by Capture Graph Builder 2 as open connects a
// capture stream to a multiplexer.
struct RecordingGraph {
    ComPtr<IGraphBuilder> graph;
    ComPtr<IMediaControl> control;
    ComPtr<IBaseFilter> camera;

    RecordingGraph(IBaseFilter* writer) {
        harness::checkHr(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                          IID_IGraphBuilder, graph.putVoid()),
                         "creating the graph");
        camera = camtest::createCamera();
        harness::checkHr(graph->AddFilter(camera.get(), L"Camera"), "adding the camera");
        if (writer != nullptr) {
            harness::checkHr(graph->AddFilter(writer, L"AVI Writer"), "adding the writer");
        }
        harness::checkHr(graph->QueryInterface(IID_IMediaControl, control.putVoid()), "control");
    }
    void render(IBaseFilter* writer, IBaseFilter* compressor = nullptr) {
        ComPtr<ICaptureGraphBuilder2> builder;
        harness::checkHr(CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                                          IID_ICaptureGraphBuilder2, builder.putVoid()),
                         "creating the builder");
        harness::checkHr(builder->SetFiltergraph(graph.get()), "SetFiltergraph");
        const HRESULT hr = builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video,
                                                 camera.get(), compressor, writer);
        ASSERT_EQ(hr, S_OK);
    }
    ULONGLONG framesDelivered() {
        ComPtr<vcxcam::IStreamStats> stats;
        harness::checkHr(camera->QueryInterface(vcxcam::kIidStreamStats, stats.putVoid()),
                         "stream stats");
        vcxcam::StreamStats state{};
        harness::checkHr(stats->GetStreamStats(&state), "GetStreamStats");
        return state.framesDelivered;
    }
};

class RecordingTest : public camtest::CameraTest {};

struct GraphCase {
    const char* name;
    bool compressor;       // the vcxcam test compressor between camera and writer
    const wchar_t* format; // the camera's one format; null: the default camera (640x480@30)
    int width;
    int height;
    bool clock; // false: the graph runs without a clock, the samples carry no times
    DWORD zeroFrameInterval = 0; // 1: the camera's types state no rate
    double fps = 30;
    double seconds = 1.5;
};

class GraphRecordingTest : public RecordingTest, public testing::WithParamInterface<GraphCase> {};

INSTANTIATE_TEST_SUITE_P(
    Graphs, GraphRecordingTest,
    testing::Values(GraphCase{"camera", false, nullptr, 640, 480, true},
                    GraphCase{"compressor", true, nullptr, 640, 480, true},
                    GraphCase{"vi2rgb24", false, L"vi2:160x120@30", 160, 120, true},
                    GraphCase{"unstamped", false, L"160x120@30", 160, 120, false},
                    // As Wine's own V4L2 capture filter: no rate stated, no time stamps.
                    GraphCase{"rateless", false, L"160x120@5", 160, 120, false, 1, 5, 4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(GraphRecordingTest, RecordsEveryFrameTheCameraSends) {
    const GraphCase& c = GetParam();
    if (c.format != nullptr) {
        harness::CameraConfig camera{L"Graph camera", {c.format}};
        camera.zeroFrameInterval = c.zeroFrameInterval;
        harness::configureCameras({camera});
    }
    RecordingGraph recording(nullptr);
    ComPtr<IBaseFilter> compressor;
    if (GetParam().compressor) {
        ASSERT_EQ(CoCreateInstance(vcxcam::compressorClsid(0), nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IBaseFilter, compressor.putVoid()),
                  S_OK);
        ASSERT_EQ(recording.graph->AddFilter(compressor.get(), L"vcxcam Identity Compressor"),
                  S_OK);
    }
    const std::string name = GetParam().name;
    const std::wstring file = std::wstring(name.begin(), name.end()) + L".avi";
    ComPtr<IBaseFilter> writer;
    ASSERT_EQ(vcx::setAviOutputFileName(recording.graph.get(), &MEDIASUBTYPE_Avi, file.c_str(),
                                        writer.put(), nullptr),
              S_OK);
    recording.render(writer.get(), compressor.get());
    if (!GetParam().clock) {
        ComPtr<IMediaFilter> graph;
        ASSERT_EQ(recording.graph->QueryInterface(IID_IMediaFilter, graph.putVoid()), S_OK);
        ASSERT_EQ(graph->SetSyncSource(nullptr), S_OK);
    }
    Timing timing = timeRecording(
        c.seconds, 1 / c.fps, [&] { EXPECT_EQ(recording.control->Run(), S_OK); },
        [&] { EXPECT_EQ(recording.control->Stop(), S_OK); });
    timing.fps = c.fps;
    const ULONGLONG frames = recording.framesDelivered();
    EXPECT_GT(frames, static_cast<ULONGLONG>(c.seconds * c.fps * 2 / 3));
    writeExpectation(name, frames, c.width, c.height, 0, vcxcam::Subtype::Rgb24, timing);
}

// vcx_Open's file modes on the registered default camera, through the
// library's own writer (Wine's builder has no file output), without and with
// the vcxcam test compressor.
struct OpenCase {
    const char* name;
    int mode;
    const wchar_t* compressor;
};

class OpenRecordingTest : public RecordingTest, public testing::WithParamInterface<OpenCase> {
  protected:
    static void SetUpTestSuite() {
        harness::ComScope com;
        harness::restoreDefaultCameras();
        harness::configureCompressors(std::nullopt);
    }
    void TearDown() override {
        harness::resetLibrary();
        RecordingTest::TearDown();
    }
};

INSTANTIATE_TEST_SUITE_P(
    Modes, OpenRecordingTest,
    testing::Values(OpenCase{"open300", 300, nullptr}, OpenCase{"open301", 301, nullptr},
                    OpenCase{"open300compressed", 300, L"vcxcam Identity Compressor"},
                    OpenCase{"open301compressed", 301, L"vcxcam Identity Compressor"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(OpenRecordingTest, RecordsEveryFrameTheCameraSends) {
    const OpenCase& mode = GetParam();
    const std::string name = mode.name;
    const std::wstring file = std::wstring(name.begin(), name.end()) + L".avi";
    ASSERT_GE(vcx_Init(), 0);
    harness::GraphSpy spy;
    ASSERT_EQ(vcx_Open(0, mode.mode, 0, reinterpret_cast<vcx_intptr>(file.c_str()),
                       reinterpret_cast<vcx_intptr>(mode.compressor)),
              0);
    const ComPtr<IGraphBuilder> graph = spy.takeGraph();
    ASSERT_TRUE(graph);
    ComPtr<IBaseFilter> device;
    ASSERT_EQ(graph->FindFilterByName(L"Device Filter", device.put()), S_OK);
    ComPtr<vcxcam::IStreamStats> stats;
    ASSERT_EQ(device->QueryInterface(vcxcam::kIidStreamStats, stats.putVoid()), S_OK);
    // The camera streams from Run: about 60 frames in 2 s at 30 fps.
    ASSERT_GE(vcx_Play2(), 0);
    Sleep(2000);
    ASSERT_EQ(vcx_Stop(), 0);
    vcxcam::StreamStats state{};
    ASSERT_EQ(stats->GetStreamStats(&state), S_OK);
    stats.reset();
    device.reset();
    ASSERT_EQ(vcx_Close(), 0);
    EXPECT_GT(state.framesDelivered, 40u);
    writeExpectation(name, state.framesDelivered, 640, 480, 0);
}

// Recordings that keep time, through vcx_Open: a camera at its format's
// rate, one that delivers a third of it (stamped with the real times: the
// file fills the gaps with drop chunks) and one whose types state no rate
// (the header's rate is measured from the samples). The file must last as
// long as the recording.
struct TimingCase {
    const char* name;
    int mode;
    DWORD deliverEvery;
    DWORD zeroFrameInterval;
};

class TimingRecordingTest : public RecordingTest, public testing::WithParamInterface<TimingCase> {
  protected:
    void TearDown() override {
        harness::resetLibrary();
        RecordingTest::TearDown();
    }
};

INSTANTIATE_TEST_SUITE_P(Cameras, TimingRecordingTest,
                         testing::Values(TimingCase{"rate30", 300, 0, 0},
                                         TimingCase{"third", 300, 3, 0},
                                         TimingCase{"unstated", 300, 0, 1},
                                         TimingCase{"third301", 301, 3, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(TimingRecordingTest, LastsAsLongAsTheRecording) {
    const TimingCase& c = GetParam();
    harness::CameraConfig camera{L"Timing camera", {L"320x240@30"}};
    camera.deliverEvery = c.deliverEvery;
    camera.zeroFrameInterval = c.zeroFrameInterval;
    harness::configureCameras({camera});
    const std::string name = c.name;
    const std::wstring file = std::wstring(name.begin(), name.end()) + L".avi";
    ASSERT_GE(vcx_Init(), 0);
    harness::GraphSpy spy;
    ASSERT_EQ(vcx_Open(0, c.mode, 0, reinterpret_cast<vcx_intptr>(file.c_str()), 0), 0);
    const ComPtr<IGraphBuilder> graph = spy.takeGraph();
    ComPtr<IBaseFilter> device;
    ASSERT_EQ(graph->FindFilterByName(L"Device Filter", device.put()), S_OK);
    ComPtr<vcxcam::IStreamStats> stats;
    ASSERT_EQ(device->QueryInterface(vcxcam::kIidStreamStats, stats.putVoid()), S_OK);
    const double spacing = c.deliverEvery > 1 ? c.deliverEvery / 30.0 : 1 / 30.0;
    const Timing timing = timeRecording(
        3.0, spacing, [] { EXPECT_GE(vcx_Play2(), 0); }, [] { EXPECT_EQ(vcx_Stop(), 0); });
    vcxcam::StreamStats state{};
    ASSERT_EQ(stats->GetStreamStats(&state), S_OK);
    stats.reset();
    device.reset();
    ASSERT_EQ(vcx_Close(), 0);
    EXPECT_GT(state.framesDelivered, static_cast<ULONGLONG>(2 / spacing));
    writeExpectation(name, state.framesDelivered, 320, 240, 0, vcxcam::Subtype::Rgb24, timing);
}

// A YUY2 and an NV12 camera recorded by vcx_Open's mode 300: the file holds
// the camera's own frames (the writer takes any video type), while the
// preview reaches the RGB24 Sample Grabber through the colour converter.
struct YuvCase {
    const char* name;
    const wchar_t* format;
    vcxcam::Subtype subtype;
};

class YuvRecordingTest : public RecordingTest, public testing::WithParamInterface<YuvCase> {
  protected:
    void TearDown() override {
        harness::resetLibrary();
        RecordingTest::TearDown();
    }
};

INSTANTIATE_TEST_SUITE_P(Cameras, YuvRecordingTest,
                         testing::Values(YuvCase{"yuy2", L"160x120@30:YUY2", vcxcam::Subtype::Yuy2},
                                         YuvCase{"nv12", L"160x120@30:NV12",
                                                 vcxcam::Subtype::Nv12}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(YuvRecordingTest, RecordsTheCamerasFramesAndPreviewsThemConverted) {
    const YuvCase& c = GetParam();
    harness::configureCameras({harness::CameraConfig{L"YUV camera", {c.format}}});
    const std::string name = c.name;
    const std::wstring file = std::wstring(name.begin(), name.end()) + L".avi";
    ASSERT_GE(vcx_Init(), 0);
    harness::GraphSpy spy;
    ASSERT_EQ(vcx_Open(0, 300, 0, reinterpret_cast<vcx_intptr>(file.c_str()), 0), 0);
    const ComPtr<IGraphBuilder> graph = spy.takeGraph();
    ComPtr<IBaseFilter> device;
    ASSERT_EQ(graph->FindFilterByName(L"Device Filter", device.put()), S_OK);
    ComPtr<vcxcam::IStreamStats> stats;
    ASSERT_EQ(device->QueryInterface(vcxcam::kIidStreamStats, stats.putVoid()), S_OK);
    ASSERT_GE(vcx_Play2(), 0);
    Sleep(1000);
    ASSERT_EQ(vcx_Stop(), 0);
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(vcx_GetImageMemSize(0)));
    std::vector<std::uint8_t> header(44);
    int size = static_cast<int>(bits.size());
    ASSERT_EQ(vcx_GetImageMem(bits.data(), &size, header.data()), 0);
    EXPECT_TRUE(camtest::matchPicture(bits, 160, 120, c.subtype).has_value());
    vcxcam::StreamStats state{};
    ASSERT_EQ(stats->GetStreamStats(&state), S_OK);
    stats.reset();
    device.reset();
    ASSERT_EQ(vcx_Close(), 0);
    EXPECT_GT(state.framesDelivered, 15u);
    writeExpectation(name, state.framesDelivered, 160, 120, 0, c.subtype);
}

TEST_F(RecordingTest, FailedWriteEndsTheRecordingWithTheFramesBeforeIt) {
    ComPtr<IBaseFilter> writer;
    // 1280x720 frames are larger than the writer's buffer, so each goes to
    // the file in a write of its own after its buffered chunk header: write 0
    // holds the headers and frame 0's chunk header, frame 10's data is write 21.
    ASSERT_EQ(vcx::avi::AviWriter::create(std::make_unique<FailingFile>(21), vcx::avi::AviLimits{},
                                          IID_IBaseFilter, writer.putVoid()),
              S_OK);
    ComPtr<IFileSinkFilter> sink;
    ASSERT_EQ(writer->QueryInterface(IID_IFileSinkFilter, sink.putVoid()), S_OK);
    ASSERT_EQ(sink->SetFileName(L"failure.avi", nullptr), S_OK);
    RecordingGraph recording(writer.get());
    camtest::VideoInfoType format(1280, 720, 333'333);
    ASSERT_EQ(camtest::streamConfig(recording.camera.get())->SetFormat(format.get()), S_OK);
    recording.render(writer.get());
    ComPtr<IMediaEvent> events;
    ASSERT_EQ(recording.graph->QueryInterface(IID_IMediaEvent, events.putVoid()), S_OK);
    ASSERT_EQ(recording.control->Run(), S_OK);
    long code = 0;
    LONG_PTR param1 = 0;
    LONG_PTR param2 = 0;
    // Wine's GetEvent may answer E_ABORT at once when no event is queued.
    const ULONGLONG deadline = GetTickCount64() + 5000;
    while (code != EC_ERRORABORT && GetTickCount64() < deadline) {
        if (events->GetEvent(&code, &param1, &param2, 100) == S_OK) {
            events->FreeEventParams(code, param1, param2);
        }
    }
    EXPECT_EQ(code, EC_ERRORABORT);
    EXPECT_EQ(static_cast<HRESULT>(param1), HRESULT_FROM_WIN32(ERROR_HANDLE_DISK_FULL));
    ASSERT_EQ(recording.control->Stop(), S_OK);
    EXPECT_EQ(recording.framesDelivered(), 10u);
    writeExpectation("failure", 10, 1280, 720, 0);
}

// Past 4 GiB and past 5 GiB: six RIFF segments, the last two of whose
// standard indices lie past 4 GiB, and the last of which starts there, so
// that file offsets, super index entries and an index's base offset need all
// 64 bits. The frames left for the tail check are those whose data starts
// past 4 GiB.
TEST_F(RecordingTest, MoreThanFiveGibFedStraightToThePin) {
    constexpr int kWidth = 1920;
    constexpr int kHeight = 1080;
    constexpr ULONGLONG kFrames = 880; // 5.47e9 bytes of frames
    RecordingGraph unused(nullptr);
    ComPtr<IBaseFilter> writer;
    ASSERT_EQ(vcx::setAviOutputFileName(unused.graph.get(), &MEDIASUBTYPE_Avi, L"large.avi",
                                        writer.put(), nullptr),
              S_OK);
    ASSERT_EQ(unused.graph->RemoveFilter(writer.get()), S_OK);
    // The camera's pin brings the type and an allocator; it never runs.
    camtest::VideoInfoType type(kWidth, kHeight, 333'333);
    const ComPtr<IPin> cameraPin = camtest::findPin(unused.camera.get(), L"Capture");
    const ComPtr<IPin> writerPin = camtest::findPin(writer.get(), L"Input");
    ASSERT_EQ(cameraPin->Connect(writerPin.get(), type.get()), S_OK);
    ComPtr<IMemInputPin> input;
    ASSERT_EQ(writerPin->QueryInterface(IID_IMemInputPin, input.putVoid()), S_OK);
    ComPtr<IMemAllocator> allocator;
    ASSERT_EQ(CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IMemAllocator, allocator.putVoid()),
              S_OK);
    const long frameBytes = static_cast<long>(vcxcam::frameSize(kWidth, kHeight));
    ALLOCATOR_PROPERTIES wanted{1, frameBytes, 1, 0};
    ALLOCATOR_PROPERTIES actual{};
    ASSERT_EQ(allocator->SetProperties(&wanted, &actual), S_OK);
    ASSERT_EQ(allocator->Commit(), S_OK);
    const auto send = [&](ULONGLONG frame) {
        ComPtr<IMediaSample> sample;
        BYTE* bits = nullptr;
        EXPECT_EQ(allocator->GetBuffer(sample.put(), nullptr, nullptr, 0), S_OK);
        EXPECT_EQ(sample->GetPointer(&bits), S_OK);
        vcxcam::drawFrame(bits, kWidth, kHeight, static_cast<std::uint32_t>(frame));
        sample->SetActualDataLength(frameBytes);
        sample->SetSyncPoint(TRUE);
        return input->Receive(sample.get());
    };
    EXPECT_EQ(send(0), VFW_E_WRONG_STATE);
    ASSERT_EQ(writer->Pause(), S_OK);
    for (ULONGLONG frame = 0; frame < kFrames; ++frame) {
        ASSERT_EQ(send(frame), S_OK) << frame;
    }
    ASSERT_EQ(writer->Stop(), S_OK);
    // Stopped: refused, and the file stays as it was completed.
    EXPECT_EQ(send(kFrames), VFW_E_WRONG_STATE);
    allocator->Decommit();
    const auto bytes = static_cast<ULONGLONG>(frameBytes);
    const ULONGLONG firstPast4Gib = ((ULONGLONG{1} << 32) + bytes - 1) / bytes;
    writeExpectation("large", kFrames, kWidth, kHeight, firstPast4Gib);
}

} // namespace
