// Frame waits on Wine's DirectShow with the vcxcam camera, as a host in the
// field meets them: the host's window keeps its messages and timers during a
// wait, an error the graph reports ends an unlimited wait, a camera that does
// not start ends it after the start-up allowance, a handler that closes the
// slot ends it, and a host that comes back late misses no frame with a queue.
#include <gtest/gtest.h>

#include "camera_support.h"
#include "graph_spy.h"
#include "harness.h"
#include "library.h"
#include "vcxcap.h"

#include <windows.h>
#include <dshow.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

namespace {

using vcx::ComPtr;

constexpr int kNullRenderer = 6;
constexpr int kVideoRenderer = 0;

double seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A top-level window of the host's that counts its messages; onTimer runs
// for each WM_TIMER.
struct HostWindow {
    HostWindow() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &HostWindow::procedure;
        windowClass.lpszClassName = L"vcxcap wait host";
        RegisterClassW(&windowClass);
        handle = CreateWindowExW(0, windowClass.lpszClassName, L"host",
                                 WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 320, 240,
                                 nullptr, nullptr, nullptr, nullptr);
        SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~HostWindow() { DestroyWindow(handle); }

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
        auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr) {
            switch (message) {
            case WM_TIMER:
                ++self->timers;
                if (self->onTimer) {
                    self->onTimer();
                }
                return 0;
            case WM_APP:
                ++self->posted;
                return 0;
            case WM_PAINT:
                ++self->paints;
                break;
            default:
                break;
            }
        }
        return DefWindowProcW(window, message, w, l);
    }

    HWND handle = nullptr;
    int timers = 0;
    int posted = 0;
    int paints = 0;
    std::function<void()> onTimer;
};

class Waits : public ::testing::Test {
  protected:
    void TearDown() override {
        harness::resetLibrary();
        harness::restoreDefaultCameras();
    }

    void open(const harness::CameraConfig& camera, int mode = kNullRenderer) {
        harness::configureCameras({camera});
        ASSERT_EQ(vcx_Init(), 0);
        harness::GraphSpy spy;
        ASSERT_EQ(vcx_Open(0, mode, 0, 0, 0), 0);
        graph_ = spy.takeGraph();
        ASSERT_TRUE(graph_);
    }

    ComPtr<IGraphBuilder> graph_;
};

// Over a 2 s wait for a frame that will not come, the host's window gets its
// posted message and its timers, and repaints when its timer invalidates it;
// the video renderer inside it goes on receiving frames.
TEST_F(Waits, TheHostsWindowLivesThroughAWait) {
    HostWindow host;
    open({L"", {L"320x240@30"}}, kVideoRenderer);
    ASSERT_GE(vcx_Play(static_cast<int>(reinterpret_cast<INT_PTR>(host.handle)), 0, 0, 320, 240),
              0);
    const int first = vcx_WaitFrame(0, 5000);
    ASSERT_GT(first, 0);
    host.onTimer = [&] { InvalidateRect(host.handle, nullptr, FALSE); };
    SetTimer(host.handle, 1, 50, nullptr);
    PostMessageW(host.handle, WM_APP, 0, 0);
    const int paintsBefore = host.paints;
    const double start = seconds();
    EXPECT_EQ(vcx_WaitFrame(first + 1'000'000, 2000), -3);
    const double waited = seconds() - start;
    KillTimer(host.handle, 1);
    std::printf("2 s wait: %d timers, %d paints, frames %d -> %d\n", host.timers,
                host.paints - paintsBefore, first, vcx_GetFrameCount());
    EXPECT_GE(waited, 1.9);
    EXPECT_EQ(host.posted, 1);
    EXPECT_GE(host.timers, 5) << "WM_TIMER every 50 ms for 2 s";
    EXPECT_GE(host.paints - paintsBefore, 1);
    EXPECT_GT(vcx_GetFrameCount(), first + 10) << "the capture went on";
}

// An error that stops the graph, posted by a filter on another thread while
// the host waits without limit, ends the wait at once; the event stays for
// vcx_GetEvent.
TEST_F(Waits, AnErrorEventEndsAnUnlimitedWait) {
    open({L"", {L"160x120@30"}});
    ASSERT_GE(vcx_Play2(), 0);
    const int first = vcx_WaitFrame(0, 5000);
    ASSERT_GT(first, 0);
    ComPtr<IMediaEventSink> sink;
    ASSERT_EQ(graph_->QueryInterface(IID_IMediaEventSink, sink.putVoid()), S_OK);
    std::thread filter([&] {
        Sleep(300);
        sink->Notify(EC_ERRORABORT, static_cast<LONG_PTR>(E_FAIL), 0);
    });
    const double start = seconds();
    const int result = vcx_WaitFrame(first + 1'000'000, -1);
    const double waited = seconds() - start;
    filter.join();
    EXPECT_EQ(result, -12);
    EXPECT_LT(waited, 3.0);
    int param1 = 0;
    int param2 = 0;
    int code = 0;
    while ((code = vcx_GetEvent(&param1, &param2)) > 0 && code != EC_ERRORABORT) {
    }
    EXPECT_EQ(code, EC_ERRORABORT);
    EXPECT_EQ(param1, static_cast<int>(E_FAIL));
}

// A camera that takes 3 s to start: an unlimited wait ends after a 500 ms
// allowance; with the allowance switched off it waits for the first frame.
TEST_F(Waits, ACameraThatDoesNotStartEndsAnUnlimitedWaitAfterTheAllowance) {
    harness::CameraConfig camera{L"", {L"160x120@30"}};
    camera.startupDelayMs = 3000;
    open(camera);
    ASSERT_EQ(vcx_SetStartupAllowance(500), 0);
    ASSERT_GE(vcx_Play2(), 0);
    double start = seconds();
    EXPECT_EQ(vcx_WaitFrame(0, -1), -13);
    const double gaveUp = seconds() - start;
    EXPECT_GE(gaveUp, 0.4);
    EXPECT_LT(gaveUp, 2.5);
    ASSERT_EQ(vcx_SetStartupAllowance(0), 0);
    EXPECT_GT(vcx_WaitFrame(0, -1), 0);
    EXPECT_GE(seconds() - start, 2.5) << "the camera's own start-up";
}

// A timer handler that closes the waiting slot: the wait ends with -1 once
// the handler returned, and the slot is closed for good.
TEST_F(Waits, AHandlerThatClosesTheSlotEndsTheWait) {
    HostWindow host;
    open({L"", {L"160x120@30"}});
    ASSERT_GE(vcx_Play2(), 0);
    const int first = vcx_WaitFrame(0, 5000);
    ASSERT_GT(first, 0);
    int closed = 1;
    host.onTimer = [&] {
        KillTimer(host.handle, 1);
        closed = vcx_Close();
    };
    SetTimer(host.handle, 1, 100, nullptr);
    EXPECT_EQ(vcx_WaitFrame(first + 1'000'000, 5000), -1);
    EXPECT_EQ(closed, 0);
    EXPECT_EQ(vcx_GetRef(), 0);
    graph_.reset();
}

// A host that is 100 ms (six frame intervals at 60 fps) late every tenth
// frame: with a queue of 32 (room for a host 0.5 s late, whatever the
// machine's load adds to the 100 ms) it gets every frame, in order, each
// with the picture of its number.
TEST_F(Waits, ALateHostMissesNothingWithAQueue) {
    open({L"", {L"320x240@60"}});
    ASSERT_EQ(vcx_SetFrameQueue(32), 0);
    ASSERT_EQ(vcx_GetFrameQueue(), 32);
    ASSERT_GE(vcx_Play2(), 0);
    ASSERT_EQ(vcx_SetCapConfig(0), 0) << "one copy per frame";
    const int bytes = vcx_GetImageMemSize(0);
    ASSERT_GT(bytes, 0);
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(bytes));
    std::vector<std::uint8_t> header(44);
    int last = 0;
    int missed = 0;
    int wrongPicture = 0;
    int lead = -1; // how far the camera's picture is ahead of the number
    for (int i = 0; i < 120; ++i) {
        if (i % 10 == 9) {
            Sleep(100);
        }
        int size = bytes;
        const int n = vcx_GetNextFrame(last, 2000, bits.data(), &size, header.data());
        ASSERT_GT(n, 0) << "after frame " << last;
        missed += last == 0 ? 0 : n - last - 1;
        // The camera paints each frame with its frame time's index and passes
        // over the times it falls behind on, so its picture may only get
        // ahead of the frame's number, never behind it: a frame handed out
        // with another entry's bytes shows an older picture.
        const auto painted = camtest::matchPicture(bits, 320, 240, vcxcam::Subtype::Rgb24);
        const int ahead = painted ? static_cast<int>((*painted - (n - 1)) & 255) : -1;
        wrongPicture += ahead < 0 || (lead >= 0 && ((ahead - lead) & 255) >= 128) ? 1 : 0;
        lead = ahead;
        last = n;
    }
    EXPECT_EQ(missed, 0);
    EXPECT_EQ(wrongPicture, 0);
}

} // namespace
