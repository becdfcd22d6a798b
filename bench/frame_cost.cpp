// CPU per delivered frame, side by side in one run, with the vcxcam camera at
// 1920x1080@60 and 3840x2160@30 (RGB24, Null Renderer):
//   - a host that takes every frame with vcx_GetNextFrame, buffering switched
//     off (vcx_SetCapConfig(0)), so each frame is copied once, into the host's
//     memory;
//   - the same host with a frame queue of 4 (each frame copied into the queue
//     on the streaming thread, then out of it);
//   - the floor: a bare graph, camera -> Sample Grabber -> Null Renderer,
//     whose sample callback copies each sample once into memory of its own.
// The floor and vcx_GetNextFrame are measured in turn, three rounds each, and
// their medians compared.
// Each measures the process's CPU time (user and kernel, every thread) over
// the same seconds of streaming, divided by the frames the host (or the
// floor's callback) received. The camera's streaming thread draws the
// picture and carries each frame downstream, the floor's copy included, so
// its time cannot be told apart: the difference per frame is printed beside
// the ratio. On Wine, waking a waiting thread is a round trip to the wine
// server, whose CPU time is not the process's.
// Also, held samples instead of copies: the floor's callback keeps a
// reference to the newest 2 samples, and the frames the camera could not
// deliver (no free buffer) are counted. (Holding as many as the camera's
// pool has buffers stops the stream altogether.)
// The limit: ours within 1.10 of the floor.
// Registers vcxcam.dll next to the program in the current Wine prefix.
#include "bench_support.h"
#include "camera_support.h"
#include "graph_spy.h"
#include "harness.h"
#include "stream_stats.h"
#include "vcxcap.h"

#include "core/com_ptr.h"

#include <windows.h>
#include <dshow.h>
#include <qedit.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

using vcx::ComPtr;

constexpr double kSeconds = 4;
constexpr int kRounds = 3; // the floor and vcx_GetNextFrame in turn, medians compared
constexpr double kWarmUp = 1.5;
constexpr double kLimit = 1.10;

double processCpuSeconds() {
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto units = [](const FILETIME& time) {
        return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return static_cast<double>(units(kernel) + units(user)) / 1e7;
}

struct Cost {
    double perFrame = -1; // process CPU seconds per frame
    long frames = 0;
    long skipped = 0; // frame times the camera could not deliver
};

// Counts frames and CPU over kSeconds once the warm-up has passed; frame()
// takes one frame and answers false when none came.
template <class TakeFrame>
Cost measure(vcxcam::IStreamStats* stats, TakeFrame&& frame, std::atomic<long>* counted) {
    Cost cost;
    const double warm = bench::nowSeconds() + kWarmUp;
    while (bench::nowSeconds() < warm) {
        if (!frame()) {
            return cost;
        }
    }
    vcxcam::StreamStats before{};
    stats->GetStreamStats(&before);
    const long start = counted ? counted->load() : 0;
    const double cpu0 = processCpuSeconds();
    const double end = bench::nowSeconds() + kSeconds;
    long frames = 0;
    while (bench::nowSeconds() < end) {
        if (!frame()) {
            return cost;
        }
        ++frames;
    }
    const double cpu = processCpuSeconds() - cpu0;
    vcxcam::StreamStats after{};
    stats->GetStreamStats(&after);
    cost.frames = counted ? counted->load() - start : frames;
    cost.skipped = static_cast<long>(after.framesSkipped - before.framesSkipped);
    if (cost.frames > 0) {
        cost.perFrame = cpu / static_cast<double>(cost.frames);
    }
    return cost;
}

// vcxcap with every frame taken by vcx_GetNextFrame, buffering off.
Cost measureLibrary(const std::wstring& format, int queueDepth) {
    harness::configureCameras({{L"", {format}}});
    Cost cost;
    if (vcx_Init() < 0) {
        return cost;
    }
    ComPtr<vcxcam::IStreamStats> stats;
    {
        harness::GraphSpy spy;
        if (vcx_Open(0, 6, 0, 0, 0) == 0) {
            ComPtr<IGraphBuilder> graph = spy.takeGraph();
            ComPtr<IBaseFilter> device = camtest::filterNamed(graph.get(), L"Device Filter");
            if (device) {
                device->QueryInterface(vcxcam::kIidStreamStats, stats.putVoid());
            }
        }
    }
    if (stats && vcx_SetFrameQueue(queueDepth) == 0 && vcx_Play2() >= 0 &&
        vcx_SetCapConfig(0) == 0) {
        const int bytes = vcx_GetImageMemSize(0);
        std::vector<unsigned char> bits(static_cast<std::size_t>(bytes > 0 ? bytes : 0));
        std::array<unsigned char, 44> header{};
        int last = 0;
        cost = measure(
            stats.get(),
            [&] {
                int size = bytes;
                const int number = vcx_GetNextFrame(last, 2000, bits.data(), &size, header.data());
                last = number > 0 ? number : last;
                return number > 0;
            },
            nullptr);
    }
    stats.reset();
    vcx_Close();
    vcx_Exit();
    return cost;
}

// The floor's callback: copies each sample once, or keeps the newest held
// samples instead.
class Copier final : public ISampleGrabberCB {
  public:
    Copier(std::size_t bytes, int hold) : copy_(bytes), held_(static_cast<std::size_t>(hold)) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_ISampleGrabberCB) {
            *out = static_cast<ISampleGrabberCB*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // Owned by the benchmark, which outlives the graph.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP SampleCB(double, IMediaSample* sample) override {
        if (held_.empty()) {
            BYTE* data = nullptr;
            const long length = sample->GetActualDataLength();
            if (SUCCEEDED(sample->GetPointer(&data)) && length > 0 &&
                static_cast<std::size_t>(length) <= copy_.size()) {
                std::memcpy(copy_.data(), data, static_cast<std::size_t>(length));
            }
        } else {
            std::lock_guard<std::mutex> lock(mutex_);
            if (holding_) {
                sample->AddRef();
                held_[next_ % held_.size()].reset();
                *held_[next_ % held_.size()].put() = sample;
                ++next_;
            }
        }
        frames.fetch_add(1);
        return S_OK;
    }
    STDMETHODIMP BufferCB(double, BYTE*, long) override { return E_NOTIMPL; }
    // Gives the held samples back and holds no more (before the graph stops:
    // a camera waiting for a buffer the callback holds cannot stop).
    void release() {
        std::lock_guard<std::mutex> lock(mutex_);
        holding_ = false;
        for (auto& sample : held_) {
            sample.reset();
        }
    }

    std::atomic<long> frames{0};

  private:
    std::vector<unsigned char> copy_;
    std::mutex mutex_;
    bool holding_ = true;
    std::vector<ComPtr<IMediaSample>> held_;
    std::size_t next_ = 0;
};

Cost measureFloor(const std::wstring& format, long width, long height, int hold) {
    harness::configureCameras({{L"", {format}}});
    harness::ComScope com;
    ComPtr<IBaseFilter> camera = camtest::createCamera(0);
    Copier copier(camtest::rgb24FrameBytes(width, height), hold);
    std::unique_ptr<camtest::PreviewGraph> graph = camtest::buildPreviewGraph(camera.get());
    Cost cost;
    ComPtr<vcxcam::IStreamStats> stats;
    camera->QueryInterface(vcxcam::kIidStreamStats, stats.putVoid());
    if (graph && stats && SUCCEEDED(graph->grabber->SetBufferSamples(FALSE)) &&
        SUCCEEDED(graph->grabber->SetCallback(&copier, 0)) && SUCCEEDED(graph->control->Run())) {
        cost = measure(
            stats.get(),
            [&] {
                Sleep(20);
                return true;
            },
            &copier.frames);
        copier.release();
        graph->control->Stop();
    }
    copier.release();
    if (graph) {
        graph->grabber->SetCallback(nullptr, 0);
    }
    return cost;
}

// The round of median CPU per frame.
Cost medianCost(std::vector<Cost> rounds) {
    std::sort(rounds.begin(), rounds.end(),
              [](const Cost& a, const Cost& b) { return a.perFrame < b.perFrame; });
    return rounds[rounds.size() / 2];
}

void print(const char* what, const Cost& cost, const Cost& floor) {
    std::printf("  %-40s %6ld frames, %4ld skipped by the camera: %.3f ms CPU a frame (%+.3f ms "
                "on the floor)\n",
                what, cost.frames, cost.skipped, cost.perFrame * 1e3,
                (cost.perFrame - floor.perFrame) * 1e3);
}

struct Format {
    const wchar_t* line;
    const char* name;
    long width;
    long height;
};

} // namespace

int main() {
    try {
        bool within = true;
        for (const Format& format : {Format{L"1920x1080@60", "1920x1080@60", 1920, 1080},
                                     Format{L"3840x2160@30", "3840x2160@30", 3840, 2160}}) {
            std::vector<Cost> floors;
            std::vector<Cost> ourRounds;
            for (int round = 0; round < kRounds; ++round) {
                std::fprintf(stderr, "frame_cost: %s, round %d ...\n", format.name, round + 1);
                floors.push_back(measureFloor(format.line, format.width, format.height, 0));
                ourRounds.push_back(measureLibrary(format.line, 0));
            }
            const Cost floor = medianCost(floors);
            const Cost ours = medianCost(ourRounds);
            std::fprintf(stderr, "frame_cost: %s, with a queue ...\n", format.name);
            const Cost queued = measureLibrary(format.line, 4);
            std::fprintf(stderr, "frame_cost: %s, held samples ...\n", format.name);
            const Cost held = measureFloor(format.line, format.width, format.height, 2);
            harness::restoreDefaultCameras();
            std::printf("%s:\n", format.name);
            print("floor (callback copies each sample)", floor, floor);
            print("vcx_GetNextFrame, buffering off", ours, floor);
            print("vcx_GetNextFrame, queue of 4", queued, floor);
            print("held samples (2), no copy", held, floor);
            if (floor.perFrame <= 0 || ours.perFrame <= 0 || queued.perFrame <= 0) {
                std::fprintf(stderr, "frame_cost: no frames measured at %s\n", format.name);
                return 2;
            }
            const std::string at = std::string("@") + format.name;
            const double ratio = ours.perFrame / floor.perFrame;
            bench::reportRatio("next_frame_cpu/floor" + at, ratio, "<=", kLimit);
            bench::reportRatio("queued_cpu/floor" + at, queued.perFrame / floor.perFrame);
            if (held.perFrame > 0) {
                bench::reportRatio("held_samples_cpu/floor" + at, held.perFrame / floor.perFrame);
            }
            within = within && ratio <= kLimit;
        }
        std::printf("%s\n", within ? "within the limits" : "NOT within the limits");
        return within ? 0 : 1;
    } catch (const harness::Failure& failure) {
        std::fprintf(stderr, "frame_cost: %s\n", failure.what());
        return 2;
    }
}
