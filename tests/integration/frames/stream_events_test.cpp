// The frame sequence, frame waits and graph events on Wine's DirectShow with
// the vcxcam camera and its faults: the count against what the camera
// delivered, every frame handed over exactly once at 60 fps with the picture
// of its number, a stalled camera, and a lost device heard within a frame
// interval of Wine queueing the event.
#include <gtest/gtest.h>

#include "camera_support.h"
#include "clock.h"
#include "graph_spy.h"
#include "harness.h"
#include "library.h"
#include "picture.h"
#include "stream_stats.h"
#include "vcxcap.h"

#include <windows.h>
#include <dshow.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

using vcx::ComPtr;

constexpr int kNullRenderer = 6;
constexpr int kTimedOut = -3;
constexpr int kDeviceLost = -4;

using harness::seconds;

class StreamEvents : public ::testing::Test {
  protected:
    void TearDown() override {
        harness::resetLibrary();
        harness::restoreDefaultCameras();
    }

    // One camera configured so, opened into a Null Renderer and run; its
    // graph held by the test.
    void start(const harness::CameraConfig& camera) {
        harness::configureCameras({camera});
        ASSERT_EQ(vcx_Init(), 0);
        harness::GraphSpy spy;
        ASSERT_EQ(vcx_Open(0, kNullRenderer, 0, 0, 0), 0);
        graph_ = spy.takeGraph();
        ASSERT_TRUE(graph_);
        ASSERT_GE(vcx_Play2(), 0);
    }

    // What the camera filter of the slot says it delivered.
    vcxcam::StreamStats cameraStats() {
        ComPtr<IBaseFilter> device = camtest::filterNamed(graph_.get(), L"Device Filter");
        ComPtr<vcxcam::IStreamStats> stats;
        vcxcam::StreamStats result{};
        if (device && SUCCEEDED(device->QueryInterface(vcxcam::kIidStreamStats, stats.putVoid()))) {
            stats->GetStreamStats(&result);
        }
        return result;
    }

    ComPtr<IGraphBuilder> graph_;
};

// Over five seconds the library counts what the camera delivered (within
// 2 %, the frames in flight at the two readings), whatever the machine's
// load made of the camera's rate; the measured rate is that of the count.
TEST_F(StreamEvents, TheCountFollowsTheCamera) {
    start({L"", {L"160x120@30"}, 1}); // a preview pin: stamped frames
    ASSERT_GT(vcx_WaitFrame(0, 5000), 0);
    const double t0 = seconds();
    const int count0 = vcx_GetFrameCount();
    const auto delivered0 = static_cast<long long>(cameraStats().framesDelivered);
    int time0 = 0;
    ASSERT_EQ(vcx_GetFrameTime(&time0), 0) << "the preview pin's frames carry times";
    Sleep(4000);
    const int count4 = vcx_GetFrameCount();
    Sleep(1000);
    const int count5 = vcx_GetFrameCount();
    const int rate = vcx_GetFrameRate();
    const double t5 = seconds();
    const auto delivered5 = static_cast<long long>(cameraStats().framesDelivered);
    int time5 = 0;
    ASSERT_EQ(vcx_GetFrameTime(&time5), 0);

    const long long counted = count5 - count0;
    const long long delivered = delivered5 - delivered0;
    std::printf("5 s: %lld frames counted, %lld delivered by the camera (%.2f fps, nominal 30); "
                "rate %.3f fps; frame time %d -> %d ms\n",
                counted, delivered, delivered / (t5 - t0), rate / 1000.0, time0, time5);
    ASSERT_GT(delivered, 0);
    EXPECT_LE(std::llabs(counted - delivered), std::max(2LL, delivered / 50));
    EXPECT_NEAR(rate / 1000.0, count5 - count4, 2.0) << "the rate of the last second's frames";
    // The stamps advance with the stream, a frame interval at a time.
    EXPECT_NEAR(time5 - time0, (t5 - t0) * 1000, 200);
}

// A camera without a preview pin gets a Smart Tee, whose preview frames carry
// no time stamps (on Windows as on Wine): their arrival times stand in.
TEST_F(StreamEvents, PreviewFramesWithoutStampsAreTimedByTheirArrival) {
    start({L"", {L"160x120@30"}});
    ASSERT_GT(vcx_WaitFrame(0, 5000), 0);
    Sleep(500);
    int milliseconds = -1;
    EXPECT_EQ(vcx_GetFrameTime(&milliseconds), 1);
    EXPECT_NEAR(milliseconds, (vcx_GetFrameCount() - 1) * 33.3, 150);
}

// Each frame handed over holds the picture of its own number (the camera
// paints frame f, counting from 0, with frame number f + 1), and no frame
// comes twice or out of order. None is missed while the host comes back
// within a frame interval; a loaded machine can keep the host's thread off
// the processor longer than that (the numbers then show the gap), so the
// test looks for one second of frames without a gap, in up to five tries.
TEST_F(StreamEvents, AHostThatWaitsAndCopiesAt60FpsSeesEveryFrameOnceInOrder) {
    constexpr int kWidth = 160;
    constexpr int kHeight = 120;
    constexpr int kFrames = 60;
    constexpr int kTries = 5;
    start({L"", {L"160x120@60"}});
    const std::size_t bytes = vcxcam::frameSize(kWidth, kHeight);
    std::vector<std::vector<std::uint8_t>> copies(kFrames, std::vector<std::uint8_t>(bytes));
    std::vector<std::uint8_t> header(44);
    std::vector<std::uint8_t> due(bytes);
    int last = 0;
    int triesWithGaps = 0;
    for (int attempt = 0; attempt < kTries; ++attempt) {
        std::vector<int> numbers;
        const int before = last;
        for (int i = 0; i < kFrames; ++i) {
            int size = static_cast<int>(bytes);
            const int number = vcx_GetNextFrame(last, 2000, copies[i].data(), &size, header.data());
            ASSERT_GT(number, last) << "after frame " << last;
            ASSERT_EQ(static_cast<std::size_t>(size), bytes);
            numbers.push_back(number);
            last = number;
        }
        for (int i = 0; i < kFrames; ++i) {
            vcxcam::drawFrame(due.data(), kWidth, kHeight,
                              static_cast<std::uint32_t>(numbers[i] - 1));
            ASSERT_EQ(copies[i], due) << "frame " << numbers[i] << " holds another picture";
        }
        // Each try starts with the frame after the last one seen (the first
        // with frame 1).
        const int missed = last - before - kFrames;
        if (missed == 0) {
            std::printf("%d frames in a row, every one once, after %d tries with gaps\n", kFrames,
                        triesWithGaps);
            return;
        }
        std::printf("try %d: %d frames missed between %d and %d\n", attempt + 1, missed, before + 1,
                    last);
        ++triesWithGaps;
    }
    ADD_FAILURE() << "frames missed in each of " << kTries << " tries";
}

// A camera that stops delivering while it runs: the wait times out, the
// count stays, and after a second the measured rate is 0.
TEST_F(StreamEvents, AStallMakesTheWaitTimeOutAndTheCountStop) {
    harness::CameraConfig camera{L"", {L"160x120@30"}};
    camera.stallAfter = 10;
    start(camera);
    int newest = 0;
    while (newest < 10) {
        const int result = vcx_WaitFrame(newest, 5000);
        ASSERT_GT(result, 0) << "after frame " << newest;
        newest = result;
    }
    EXPECT_EQ(newest, 10);
    const double before = seconds();
    EXPECT_EQ(vcx_WaitFrame(10, 600), kTimedOut);
    EXPECT_GE(seconds() - before, 0.55) << "the wait ended before its time";
    std::vector<std::uint8_t> bits(vcxcam::frameSize(160, 120));
    int size = static_cast<int>(bits.size());
    std::vector<std::uint8_t> header(44);
    EXPECT_EQ(vcx_GetNextFrame(10, 500, bits.data(), &size, header.data()), kTimedOut);
    EXPECT_EQ(vcx_GetFrameCount(), 10);
    EXPECT_EQ(cameraStats().framesDelivered, 10u);
    EXPECT_EQ(vcx_GetFrameRate(), 0);
    EXPECT_GE(vcx_GetState(), 0);
    EXPECT_EQ(vcx_GetRef(), 3) << "the slot still runs";
}

// vcxcam reports the loss through the graph's IMediaEventSink; a thread of
// the test stamps the moment Wine's graph signals its event handle, and the
// host's wait must end within one frame interval of it.
TEST_F(StreamEvents, ALostDeviceEndsTheWaitWithinAFrameIntervalOfWinesEvent) {
    harness::CameraConfig camera{L"", {L"160x120@30"}};
    camera.loseAfter = 15;
    start(camera);
    ComPtr<IMediaEventEx> events;
    ASSERT_EQ(graph_->QueryInterface(IID_IMediaEventEx, events.putVoid()), S_OK);
    OAEVENT handle = 0;
    ASSERT_EQ(events->GetEventHandle(&handle), S_OK);
    int newest = 0;
    // By frame 5 the wait has taken the events of the start off the graph.
    while (newest < 5) {
        newest = vcx_WaitFrame(newest, 5000);
        ASSERT_GT(newest, 0);
    }
    std::atomic<double> signalled{0};
    std::thread watcher([&] {
        if (WaitForSingleObject(reinterpret_cast<HANDLE>(handle), 10000) == WAIT_OBJECT_0) {
            signalled = seconds();
        }
    });
    int result = 0;
    while ((result = vcx_WaitFrame(newest, 5000)) > 0) {
        newest = result;
    }
    const double ended = seconds();
    watcher.join();
    EXPECT_EQ(result, kDeviceLost);
    EXPECT_EQ(newest, 15);
    ASSERT_GT(signalled.load(), 0) << "Wine's graph never signalled an event";
    const double late = ended - signalled.load();
    std::printf("the wait ended %.3f ms after Wine signalled the loss\n", late * 1000);
    EXPECT_LT(late, 1.0 / 30);

    bool heard = false;
    int param1 = 0;
    int param2 = 7;
    for (int code; (code = vcx_GetEvent(&param1, &param2)) > 0;) {
        if (code == EC_DEVICE_LOST) {
            heard = true;
            EXPECT_EQ(param2, 0) << "removed";
        }
    }
    EXPECT_TRUE(heard);
    EXPECT_EQ(vcx_WaitFrame(newest, 0), kDeviceLost) << "until the slot closes";
    Sleep(200);
    EXPECT_EQ(vcx_GetFrameCount(), 15) << "no frame after the loss";
}

// vcxcam drops every fifth frame and counts it on its capture pin.
TEST_F(StreamEvents, DroppedFramesAreTheCapturePinsCount) {
    harness::CameraConfig camera{L"", {L"160x120@60"}};
    camera.dropEvery = 5;
    start(camera);
    int newest = 0;
    while (newest < 40) {
        newest = vcx_WaitFrame(newest, 5000);
        ASSERT_GT(newest, 0);
    }
    ASSERT_EQ(vcx_Stop(), 0);
    const int counted = vcx_GetFrameCount();
    const int dropped = vcx_GetDroppedFrames();
    // Of the frame times so far, 5, 10, 15, ... were dropped.
    EXPECT_GE(dropped, 8);
    EXPECT_EQ(dropped, (counted + dropped) / 5) << counted << " frames counted";
}

} // namespace
