// vcx_Open's outputs and stream control on Wine's DirectShow with the
// default vcxcam camera: what Wine makes of each mode.
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

class OutputModes : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { harness::restoreDefaultCameras(); }
    void SetUp() override { ASSERT_EQ(vcx_Init(), 0); }
    void TearDown() override { harness::resetLibrary(); }
};

vcx_intptr text(const wchar_t* value) {
    return reinterpret_cast<vcx_intptr>(value);
}

using camtest::filterNamed;
using camtest::grabberOf;

// Handles the messages of this thread's windows for a while.
void pumpMessages(DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
        Sleep(10);
    } while (GetTickCount64() < end);
}

// A visible top-level window of the test, standing for the host's.
class HostWindow {
  public:
    HostWindow() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.lpszClassName = L"vcxcap test host";
        RegisterClassW(&windowClass);
        handle =
            CreateWindowExW(0, windowClass.lpszClassName, L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                            0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
        pumpMessages(50);
    }
    ~HostWindow() { DestroyWindow(handle); }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    // The handle as the library's exports take it.
    int id() const { return static_cast<int>(reinterpret_cast<INT_PTR>(handle)); }

    HWND handle;
};

// Expects child to be the host's only child, visible at the given place of
// the host's client area.
void expectPlaced(const HostWindow& host, HWND child, LONG left, LONG top, LONG width,
                  LONG height) {
    EXPECT_EQ(GetWindow(child, GW_HWNDNEXT), nullptr) << "the host has one child only";
    EXPECT_TRUE(IsWindowVisible(child));
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, host.handle, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, left);
    EXPECT_EQ(rect.top, top);
    EXPECT_EQ(rect.right - rect.left, width);
    EXPECT_EQ(rect.bottom - rect.top, height);
}

// A frame of the camera's picture reached the Sample Grabber.
void expectCameraFrames(IGraphBuilder* graph) {
    ComPtr<ISampleGrabber> grabber = grabberOf(graph);
    ASSERT_TRUE(grabber);
    const std::vector<std::uint8_t> frame = camtest::waitForFrame(grabber.get());
    const camtest::VideoShape shape = camtest::grabberShape(grabber.get());
    EXPECT_EQ(shape.width, 640);
    EXPECT_EQ(shape.height, 480);
    EXPECT_TRUE(camtest::matchPicture(frame, shape.width, shape.height).has_value());
}

TEST_F(OutputModes, NullRendererOpensRunsAndDeliversFrames) {
    harness::GraphSpy spy;
    ASSERT_EQ(vcx_Open(0, 6, 0, 0, 0), 0);
    ComPtr<IGraphBuilder> graph = spy.takeGraph();
    ASSERT_TRUE(graph);
    for (const wchar_t* name : {L"Device Filter", L"Sample Grabber", L"Null Renderer"}) {
        EXPECT_TRUE(filterNamed(graph.get(), name)) << harness::narrow(name);
    }
    EXPECT_EQ(vcx_GetState(), 0);
    // Wine's graph answers S_FALSE to Run with the camera's live stream.
    EXPECT_EQ(vcx_Play2(), 1);
    EXPECT_EQ(vcx_GetRef(), 3);
    EXPECT_EQ(vcx_GetState(), 2);
    expectCameraFrames(graph.get());
    EXPECT_EQ(vcx_Close(), 0);
}

// Waits for the grabber to hold a camera frame other than previous, and
// returns it.
std::vector<std::uint8_t> nextFrame(ISampleGrabber* grabber,
                                    const std::vector<std::uint8_t>& previous) {
    const ULONGLONG end = GetTickCount64() + 5000;
    std::vector<std::uint8_t> frame;
    do {
        frame = camtest::waitForFrame(grabber);
        if (frame != previous) {
            EXPECT_TRUE(camtest::matchPicture(frame, 640, 480).has_value());
            return frame;
        }
        Sleep(10);
    } while (GetTickCount64() < end);
    ADD_FAILURE() << "no new frame reached the Sample Grabber";
    return frame;
}

// Buffering stays on through a stop, so frames come again after each new run
// without vcx_SetCapConfig. Until the new run's first frame, Wine's grabber
// still holds the last frame of the previous run.
TEST_F(OutputModes, FramesFlowAgainAfterEachStopAndRun) {
    harness::GraphSpy spy;
    ASSERT_EQ(vcx_Open(0, 6, 0, 0, 0), 0);
    ComPtr<ISampleGrabber> grabber = grabberOf(spy.takeGraph().get());
    ASSERT_TRUE(grabber);
    ASSERT_GE(vcx_Play2(), 0);
    nextFrame(grabber.get(), {});
    for (int cycle = 0; cycle < 3; ++cycle) {
        ASSERT_EQ(vcx_Stop(), 0);
        EXPECT_EQ(vcx_GetState(), 0);
        const std::vector<std::uint8_t> last = camtest::waitForFrame(grabber.get());
        ASSERT_GE(vcx_Play2(), 0) << cycle;
        nextFrame(grabber.get(), nextFrame(grabber.get(), last));
    }
    EXPECT_EQ(vcx_SetCapConfig(-1), 0) << "the runs recorded no switch";
}

// Modes 0 and 2 under the virtual display: vcx_Play makes the renderer's
// window a child of the host at the given place, vcx_ReSize moves it, and
// close hands it back before the graph goes.
class WindowModes : public OutputModes, public ::testing::WithParamInterface<int> {};

TEST_P(WindowModes, PlayPlacesTheVideoWindowInTheHost) {
    const int mode = GetParam();
    if (mode == 2 && harness::runsUnderQemuUser()) {
        GTEST_SKIP() << "a windowed VMR-9 (Direct3D on Mesa) crashes qemu-user";
    }
    HostWindow host;
    harness::GraphSpy spy;
    // VMR-9's rendering mode 1 is VMR9Mode_Windowed; mode 0 ignores both.
    ASSERT_EQ(vcx_Open(0, mode, 0, 1, 1), 0);
    ComPtr<IGraphBuilder> graph = spy.takeGraph();
    ASSERT_TRUE(graph);
    EXPECT_EQ(GetWindow(host.handle, GW_CHILD), nullptr);

    EXPECT_EQ(vcx_Play(host.id(), 10, 20, 320, 240), 1);
    pumpMessages(200);
    const HWND video = GetWindow(host.handle, GW_CHILD);
    ASSERT_NE(video, nullptr);
    expectPlaced(host, video, 10, 20, 320, 240);
    EXPECT_EQ(vcx_GetState(), 2);
    expectCameraFrames(graph.get());

    EXPECT_EQ(vcx_ReSize(host.id(), 5, 6, 160, 120), 0);
    pumpMessages(100);
    expectPlaced(host, video, 5, 6, 160, 120);

    // The spy still holds the graph and its renderer: the window lives on,
    // but hidden and no longer the host's child.
    EXPECT_EQ(vcx_Close(), 0);
    pumpMessages(100);
    EXPECT_EQ(GetWindow(host.handle, GW_CHILD), nullptr);
    EXPECT_TRUE(IsWindow(video));
    EXPECT_FALSE(IsWindowVisible(video));
}

INSTANTIATE_TEST_SUITE_P(VideoRendererAndVmr9, WindowModes, ::testing::Values(0, 2));

TEST_F(OutputModes, Vmr7RefusesTheNumberOfStreamsAndLeavesTheSlotClosed) {
    // Wine's VMR-7 answers E_NOTIMPL to SetNumberOfStreams.
    EXPECT_EQ(vcx_Open(0, 1, 0, 1, 1), -88);
    EXPECT_EQ(vcx_GetRef(), 0);
    EXPECT_EQ(vcx_Close(), -1);
}

// Wine lists "Cinepak Video codec": its name from Wine's registry takes the
// search past its end.
TEST_F(OutputModes, WinesCompressorIsFoundByItsName) {
    const int result =
        vcx_Open(0, 300, 0, text(L"C:\\vcxcap-compressor.avi"), text(L"Cinepak Video codec"));
    // Without an AVI writer the output file fails (-50); with one, Cinepak
    // refuses RGB24 and the capture render fails (-51).
    EXPECT_TRUE(result == -50 || result == -51) << result;
    EXPECT_EQ(vcx_GetRef(), 0);
}

} // namespace
