// Times the frame sequence side by side in one run:
//   - the wake-up of vcx_WaitFrame on a running vcxcam capture at 640x480,
//     60 fps (Null Renderer output): from the moment the camera begins
//     delivering a sample (its performance counter reading, through its
//     private statistics interface) to the moment vcx_WaitFrame returns that
//     frame's number, median and 99th percentile of 300 frames, against one
//     frame interval;
//   - the counting callback the library puts on the Sample Grabber
//     (FrameCounter::SampleCB, called here directly with a 1920x1080 sample
//     of the platform's memory allocator), per frame, with nobody waiting
//     and with a waiter to signal, against one memcpy of a 1920x1080 RGB24
//     frame that is not in the caches.
// The limits: a median wake-up of 1 ms, a counting callback of 1 % of the
// copy; the waking callback is reported without one (see bench/README.md).
// Registers vcxcam.dll next to the program in the current Wine prefix.
#include "bench_support.h"
#include "camera_support.h"
#include "graph_spy.h"
#include "harness.h"
#include "picture.h"
#include "stream_stats.h"
#include "vcxcap.h"

#include "core/com_ptr.h"
#include "frames/frame_counter.h"

#include <windows.h>
#include <dshow.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using vcx::ComPtr;

constexpr int kFrames = 300;                     // 5 s at 60 fps
constexpr double kInterval = 1.0 / 60;           // seconds
constexpr double kWakeLimit = 0.001 / kInterval; // median 1 ms
constexpr int kCalls = 20000;
constexpr double kCallbackLimit = 0.01;

double counterSeconds(LONGLONG counter) {
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter) / static_cast<double>(frequency.QuadPart);
}

double percentile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1));
    return values[index];
}

// Wake-up latencies of vcx_WaitFrame in seconds; empty when the capture did
// not work.
std::vector<double> measureWakeUps() {
    harness::configureCameras({{L"", {L"640x480@60"}}});
    std::vector<double> latencies;
    if (vcx_Init() < 0) {
        return latencies;
    }
    ComPtr<vcxcam::IStreamStats> stats;
    {
        harness::GraphSpy spy;
        if (vcx_Open(0, 6, 0, 0, 0) != 0) {
            vcx_Exit();
            return latencies;
        }
        ComPtr<IGraphBuilder> graph = spy.takeGraph();
        ComPtr<IBaseFilter> device = camtest::filterNamed(graph.get(), L"Device Filter");
        if (device) {
            device->QueryInterface(vcxcam::kIidStreamStats, stats.putVoid());
        }
    }
    if (stats && vcx_Play2() >= 0) {
        int last = vcx_WaitFrame(0, 5000);
        for (int frame = 0; frame < kFrames && last > 0; ++frame) {
            const int number = vcx_WaitFrame(last, 1000);
            const double returned = bench::nowSeconds();
            vcxcam::StreamStats now{};
            stats->GetStreamStats(&now);
            // The stamp is this frame's while the camera has begun no later
            // delivery (and lost none before the grabber).
            if (number > 0 && now.deliveriesBegun == static_cast<ULONGLONG>(number)) {
                latencies.push_back(returned - counterSeconds(now.lastDeliveryCounter));
            }
            last = number;
        }
    }
    stats.reset();
    vcx_Close();
    vcx_Exit();
    return latencies;
}

// Seconds per SampleCB call with a waiter to wake or without; -1 when the
// platform's allocator gave no sample.
double callbackSeconds(bool waiter) {
    const std::size_t bytes = vcxcam::frameSize(1920, 1080);
    ComPtr<IMemAllocator> allocator;
    if (FAILED(CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IMemAllocator, allocator.putVoid()))) {
        return -1;
    }
    ALLOCATOR_PROPERTIES wanted{1, static_cast<long>(bytes), 1, 0};
    ALLOCATOR_PROPERTIES actual{};
    ComPtr<IMediaSample> sample;
    if (FAILED(allocator->SetProperties(&wanted, &actual)) || FAILED(allocator->Commit()) ||
        FAILED(allocator->GetBuffer(sample.put(), nullptr, nullptr, 0))) {
        return -1;
    }
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 166'667;
    sample->SetTime(&start, &stop);
    vcx::FrameCounter* counter = vcx::FrameCounter::create();
    if (counter == nullptr) {
        return -1;
    }
    if (waiter) {
        counter->addWaiter();
    }
    const double begin = bench::nowSeconds();
    for (int call = 0; call < kCalls; ++call) {
        counter->SampleCB(0.0, sample.get());
    }
    const double perCall = (bench::nowSeconds() - begin) / kCalls;
    counter->Release();
    sample.reset();
    allocator->Decommit();
    return perCall;
}

// A copy of a frame the caches do not hold (as a frame fresh from the
// camera is not): eight sources and eight destinations taken in turn.
double memcpySeconds() {
    const std::size_t bytes = vcxcam::frameSize(1920, 1080);
    constexpr int kBuffers = 8;
    std::vector<std::vector<unsigned char>> from(kBuffers, std::vector<unsigned char>(bytes, 0x5A));
    std::vector<std::vector<unsigned char>> to(kBuffers, std::vector<unsigned char>(bytes));
    std::vector<double> times;
    for (int run = 0; run < 25; ++run) {
        const int buffer = run % kBuffers;
        const double start = bench::nowSeconds();
        std::memcpy(to[buffer].data(), from[buffer].data(), bytes);
        times.push_back(bench::nowSeconds() - start);
        from[buffer][0] = to[buffer][bytes - 1]; // keeps the copy observable
    }
    return bench::median(times);
}

} // namespace

int main() {
    try {
        const std::vector<double> wakeUps = measureWakeUps();
        harness::restoreDefaultCameras();
        if (wakeUps.size() < kFrames / 2) {
            std::fprintf(stderr, "frame_wait: only %zu wake-ups measured\n", wakeUps.size());
            return 2;
        }
        const double median = bench::median(wakeUps);
        const double p99 = percentile(wakeUps, 0.99);
        std::printf("vcx_WaitFrame wake-up at 640x480@60 (%zu frames): median %.3f ms, 99th "
                    "percentile %.3f ms, frame interval %.3f ms\n",
                    wakeUps.size(), median * 1e3, p99 * 1e3, kInterval * 1e3);
        bench::reportRatio("WaitFrame_wakeup_median/frame_interval@60fps", median / kInterval,
                           "<=", kWakeLimit);
        bench::reportRatio("WaitFrame_wakeup_p99/frame_interval@60fps", p99 / kInterval);

        harness::ComScope com;
        const double copy = memcpySeconds();
        const double quiet = callbackSeconds(false);
        const double signalling = callbackSeconds(true);
        if (quiet < 0 || signalling < 0) {
            std::fprintf(stderr, "frame_wait: the memory allocator gave no sample\n");
            return 2;
        }
        std::printf("counting callback per frame: %.3f us, %.3f us with a waiter to wake; "
                    "memcpy of 1920x1080 RGB24: %.3f ms\n",
                    quiet * 1e6, signalling * 1e6, copy * 1e3);
        bench::reportRatio("callback/memcpy@1920x1080", quiet / copy, "<=", kCallbackLimit);
        // Waking costs one SetEvent, paid only for a frame a host waits for;
        // on Wine that is a round trip to the wine server.
        bench::reportRatio("callback_waking/memcpy@1920x1080", signalling / copy);
        const bool within = median / kInterval <= kWakeLimit && quiet / copy <= kCallbackLimit;
        std::printf("%s\n", within ? "within the limits" : "NOT within the limits");
        return within ? 0 : 1;
    } catch (const harness::Failure& failure) {
        std::fprintf(stderr, "frame_wait: %s\n", failure.what());
        return 2;
    }
}
