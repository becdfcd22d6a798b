// Running and stopping a slot on Wine's DirectShow with the default vcxcam
// camera: the graph's state, and frames after each new run.
#include <gtest/gtest.h>

#include "camera_support.h"
#include "graph_spy.h"
#include "harness.h"
#include "library.h"
#include "vcxcap.h"

#include <windows.h>

#include <cstdint>
#include <vector>

namespace {

using vcx::ComPtr;

class StreamControl : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { harness::restoreDefaultCameras(); }

    void SetUp() override {
        ASSERT_EQ(vcx_Init(), 0);
        harness::GraphSpy spy;
        ASSERT_EQ(vcx_Open(0, 6, 0, 0, 0), 0);
        ComPtr<IGraphBuilder> graph = spy.takeGraph();
        ASSERT_TRUE(graph);
        ComPtr<IBaseFilter> filter;
        ASSERT_EQ(graph->FindFilterByName(L"Sample Grabber", filter.put()), S_OK);
        ASSERT_EQ(filter->QueryInterface(IID_ISampleGrabber, grabber.putVoid()), S_OK);
    }
    void TearDown() override {
        grabber.reset();
        harness::resetLibrary();
    }

    // Waits for the grabber to hold a camera frame other than previous,
    // and returns it.
    std::vector<std::uint8_t> nextFrame(const std::vector<std::uint8_t>& previous) {
        const ULONGLONG end = GetTickCount64() + 5000;
        for (;;) {
            std::vector<std::uint8_t> frame = camtest::waitForFrame(grabber.get());
            if (frame != previous) {
                EXPECT_TRUE(camtest::matchPicture(frame, 640, 480).has_value());
                return frame;
            }
            if (GetTickCount64() > end) {
                ADD_FAILURE() << "no new frame reached the Sample Grabber";
                return frame;
            }
            Sleep(10);
        }
    }

    ComPtr<ISampleGrabber> grabber;
};

TEST_F(StreamControl, StateIsStoppedBeforeRunAndRunningWhileRunning) {
    EXPECT_EQ(vcx_GetState(), 0);
    ASSERT_GE(vcx_Play2(), 0);
    EXPECT_EQ(vcx_GetState(), 2);
    EXPECT_EQ(vcx_Stop(), 0);
    EXPECT_EQ(vcx_GetState(), 0);
}

// Buffering stays on through a stop, so frames come again after each new
// run without vcx_SetCapConfig. Until the new run streams (about 200 ms),
// Wine's grabber still holds the last frame of the previous run.
TEST_F(StreamControl, FramesFlowAgainAfterEachStopAndRun) {
    ASSERT_GE(vcx_Play2(), 0);
    std::vector<std::uint8_t> frame = nextFrame({});
    for (int cycle = 0; cycle < 3; ++cycle) {
        ASSERT_EQ(vcx_Stop(), 0);
        const std::vector<std::uint8_t> last = camtest::waitForFrame(grabber.get());
        ASSERT_GE(vcx_Play2(), 0) << cycle;
        frame = nextFrame(last);
        frame = nextFrame(frame);
    }
    EXPECT_EQ(vcx_SetCapConfig(-1), 0) << "the runs recorded no switch";
}

} // namespace
