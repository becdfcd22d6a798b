// Measures the vcxcam camera at 1920x1080, 60 frames per second: frames
// delivered per second against the nominal rate over ten seconds, and the
// streaming thread's CPU time per frame, in one run. The camera comes
// straight from vcxcam.dll next to this program (no registration needed);
// its configuration must include a 1920x1080 format (the default one does).
#include "bench_support.h"
#include "core/com_ptr.h"
#include "core/directshow.h"
#include "ids.h"
#include "picture.h"
#include "stream_stats.h"
#include "video_type.h"

#include <windows.h>
#include <dshow.h>
#include <qedit.h>

#include <atomic>
#include <cstdio>
#include <vector>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr REFERENCE_TIME kInterval = 166'667; // 60 frames per second
constexpr DWORD kWarmUpMs = 1'000;
constexpr DWORD kMeasureMs = 10'000;
constexpr double kRequiredRatio = 0.98;

using vcx::ComPtr;

// Counts the frames that reach the Sample Grabber, on the streaming thread.
class FrameCounter final : public ISampleGrabberCB {
  public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_ISampleGrabberCB) {
            *out = static_cast<ISampleGrabberCB*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // Lives on main's stack, longer than the graph.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP SampleCB(double, IMediaSample*) override { return E_NOTIMPL; }
    STDMETHODIMP BufferCB(double, BYTE*, long size) override {
        if (size == static_cast<long>(vcxcam::frameSize(kWidth, kHeight))) {
            frames_.fetch_add(1, std::memory_order_relaxed);
        }
        return S_OK;
    }
    long frames() const { return frames_.load(std::memory_order_relaxed); }

  private:
    std::atomic<long> frames_{0};
};

struct Snapshot {
    double seconds;
    long sinkFrames;
    vcxcam::StreamStats stats;
};

using bench::nowSeconds;

bool check(HRESULT hr, const char* what) {
    return bench::check("camera_rate", hr, what);
}

HRESULT createCamera(HMODULE dll, ComPtr<IBaseFilter>& camera) {
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    const auto getClassObject = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
    if (getClassObject == nullptr) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    ComPtr<IClassFactory> factory;
    HRESULT hr = getClassObject(vcxcam::cameraClsid(0), IID_IClassFactory, factory.putVoid());
    if (SUCCEEDED(hr)) {
        hr = factory->CreateInstance(nullptr, IID_IBaseFilter, camera.putVoid());
    }
    return hr;
}

// Asks the capture pin for 1920x1080 RGB24 at 60 frames per second.
HRESULT setFormat(ICaptureGraphBuilder2* builder, IBaseFilter* camera) {
    ComPtr<IAMStreamConfig> config;
    HRESULT hr = builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, camera,
                                        IID_IAMStreamConfig, config.putVoid());
    if (FAILED(hr)) {
        return hr;
    }
    filterbase::MediaType type;
    hr = vcxcam::makeVideoType(vcxcam::Capability{kWidth, kHeight, kInterval, false}, type);
    if (FAILED(hr)) {
        return hr;
    }
    return config->SetFormat(const_cast<AM_MEDIA_TYPE*>(&type.get()));
}

Snapshot snapshot(const FrameCounter& counter, vcxcam::IStreamStats* stats) {
    Snapshot shot{};
    shot.seconds = bench::nowSeconds();
    shot.sinkFrames = counter.frames();
    stats->GetStreamStats(&shot.stats);
    return shot;
}

// Time of one drawFrame at the benchmark size on this thread, for reference:
// into one buffer drawn over and over, and into four in turn as the camera
// does with its allocator's buffers (a working set beyond the caches).
double drawMilliseconds(int buffers) {
    std::vector<std::vector<std::uint8_t>> frames(static_cast<std::size_t>(buffers));
    for (auto& frame : frames) {
        frame.assign(vcxcam::frameSize(kWidth, kHeight), 0);
    }
    constexpr int kDraws = 120;
    const double begin = bench::nowSeconds();
    for (int i = 0; i < kDraws; ++i) {
        vcxcam::drawFrame(frames[static_cast<std::size_t>(i % buffers)].data(), kWidth, kHeight,
                          static_cast<std::uint32_t>(i));
    }
    return (bench::nowSeconds() - begin) * 1000.0 / kDraws;
}

int measure(HMODULE dll) {
    FrameCounter counter;
    ComPtr<IBaseFilter> camera;
    ComPtr<IGraphBuilder> graph;
    ComPtr<ICaptureGraphBuilder2> builder;
    ComPtr<IBaseFilter> grabberFilter;
    ComPtr<IBaseFilter> renderer;
    ComPtr<ISampleGrabber> grabber;
    ComPtr<IMediaControl> control;
    ComPtr<vcxcam::IStreamStats> stats;
    if (!check(createCamera(dll, camera), "creating the camera") ||
        !check(camera->QueryInterface(vcxcam::kIidStreamStats, stats.putVoid()),
               "querying the stream statistics") ||
        !check(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                graph.putVoid()),
               "creating the filter graph") ||
        !check(CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                                IID_ICaptureGraphBuilder2, builder.putVoid()),
               "creating the capture graph builder") ||
        !check(CoCreateInstance(vcx::kClsidSampleGrabber, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IBaseFilter, grabberFilter.putVoid()),
               "creating the Sample Grabber") ||
        !check(CoCreateInstance(vcx::kClsidNullRenderer, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IBaseFilter, renderer.putVoid()),
               "creating the Null Renderer") ||
        !check(grabberFilter->QueryInterface(IID_ISampleGrabber, grabber.putVoid()),
               "querying ISampleGrabber") ||
        !check(builder->SetFiltergraph(graph.get()), "SetFiltergraph") ||
        !check(graph->AddFilter(camera.get(), L"vcxcam"), "adding the camera") ||
        !check(graph->AddFilter(grabberFilter.get(), L"Sample Grabber"), "adding the grabber") ||
        !check(graph->AddFilter(renderer.get(), L"Null Renderer"), "adding the renderer") ||
        !check(setFormat(builder.get(), camera.get()),
               "setting 1920x1080 at 60 fps (is a 1920x1080 format configured?)") ||
        !check(grabber->SetBufferSamples(FALSE), "SetBufferSamples") ||
        !check(grabber->SetCallback(&counter, 1), "SetCallback") ||
        !check(builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, camera.get(),
                                     grabberFilter.get(), renderer.get()),
               "RenderStream") ||
        !check(graph->QueryInterface(IID_IMediaControl, control.putVoid()), "IMediaControl") ||
        !check(control->Run(), "Run")) {
        return 2;
    }
    Sleep(kWarmUpMs);
    const Snapshot first = snapshot(counter, stats.get());
    Sleep(kMeasureMs);
    const Snapshot last = snapshot(counter, stats.get());
    control->Stop();
    grabber->SetCallback(nullptr, 1);

    const double seconds = last.seconds - first.seconds;
    const long sinkFrames = last.sinkFrames - first.sinkFrames;
    const double nominal = 1e7 / static_cast<double>(kInterval);
    const double delivered = static_cast<double>(sinkFrames) / seconds;
    const double ratio = delivered / nominal;
    const ULONGLONG cameraFrames = last.stats.framesDelivered - first.stats.framesDelivered;
    const double cpuMs =
        static_cast<double>(last.stats.threadCpuTime - first.stats.threadCpuTime) / 1e4;
    const double cpuPerFrame = cameraFrames > 0 ? cpuMs / static_cast<double>(cameraFrames) : 0.0;

    std::printf("vcxcam 1920x1080 RGB24 at %.3f fps nominal, measured over %.2f s\n", nominal,
                seconds);
    std::printf("  frames at the sink         %ld\n", sinkFrames);
    std::printf(
        "  frames sent by the camera  %llu (frame times skipped: %llu)\n",
        static_cast<unsigned long long>(cameraFrames),
        static_cast<unsigned long long>(last.stats.framesSkipped - first.stats.framesSkipped));
    std::printf("  delivered per second       %.3f\n", delivered);
    std::printf("  delivered / nominal        %.4f (required >= %.2f)\n", ratio, kRequiredRatio);
    std::printf("  streaming thread CPU/frame %.3f ms (%.1f%% of a frame time)\n", cpuPerFrame,
                cpuPerFrame * 100.0 / (static_cast<double>(kInterval) / 1e4));
    std::printf("  drawFrame alone            %.3f ms into one buffer, %.3f ms into four in turn\n",
                drawMilliseconds(1), drawMilliseconds(4));
    bench::reportRatio("delivered/nominal_fps@1920x1080x60", ratio, ">=", kRequiredRatio);
    return ratio >= kRequiredRatio ? 0 : 1;
}

} // namespace

int main() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
        std::fprintf(stderr, "camera_rate: COM initialisation failed\n");
        return 2;
    }
    const HMODULE dll = LoadLibraryW(L"vcxcam.dll");
    int result = 2;
    if (dll == nullptr) {
        std::fprintf(stderr, "camera_rate: vcxcam.dll not found next to the program\n");
    } else {
        result = measure(dll);
    }
    CoUninitialize();
    if (dll != nullptr) {
        FreeLibrary(dll);
    }
    return result;
}
