#include "endurance_support.h"

#include "camera_support.h"
#include "first_frame.h"
#include "heap_usage.h"
#include "picture.h"
#include "process_counters.h"
#include "vcxcap.h"

#include <d3d9.h>
#include <vmr9.h>

#include <cstdio>

namespace endurance {

namespace {

constexpr DWORD kSettleMs = 300;

} // namespace

Counters readCounters() {
    Sleep(kSettleMs);
    return Counters{static_cast<std::ptrdiff_t>(harness::processHandleCount()),
                    static_cast<std::ptrdiff_t>(harness::processThreadCount()),
                    static_cast<std::ptrdiff_t>(harness::heapBytesInUse()),
                    static_cast<std::ptrdiff_t>(harness::privateBytes())};
}

Counters operator-(const Counters& later, const Counters& earlier) {
    return Counters{later.handles - earlier.handles, later.threads - earlier.threads,
                    later.heapBytes - earlier.heapBytes, later.privateBytes - earlier.privateBytes};
}

std::string describe(const Counters& counters) {
    return "handles " + std::to_string(counters.handles) + ", threads " +
           std::to_string(counters.threads) + ", heap " + std::to_string(counters.heapBytes) +
           " bytes, private " + std::to_string(counters.privateBytes) + " bytes";
}

void report(const std::string& when, const Counters& counters) {
    std::printf("endurance: %s: %s\n", when.c_str(), describe(counters).c_str());
    std::fflush(stdout);
}

namespace {

vcx::ComPtr<IBaseFilter> createRenderer(Renderer renderer) {
    const CLSID& clsid = renderer == Renderer::Null    ? harness::kClsidNullRenderer
                         : renderer == Renderer::Video ? CLSID_VideoRenderer
                                                       : CLSID_VideoMixingRenderer9;
    vcx::ComPtr<IBaseFilter> filter;
    harness::checkHr(
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, filter.putVoid()),
        "creating the renderer");
    if (renderer == Renderer::Vmr9) {
        vcx::ComPtr<IVMRFilterConfig9> config;
        harness::checkHr(filter->QueryInterface(IID_IVMRFilterConfig9, config.putVoid()),
                         "querying IVMRFilterConfig9");
        harness::checkHr(config->SetRenderingMode(VMR9Mode_Windowed), "SetRenderingMode");
        harness::checkHr(config->SetNumberOfStreams(1), "SetNumberOfStreams");
    }
    return filter;
}

} // namespace

void bareCapture(const std::wstring& camera, Renderer renderer) {
    const vcx::ComPtr<IBaseFilter> source = camtest::bindCamera(camera);
    const vcx::ComPtr<IBaseFilter> output = createRenderer(renderer);
    const auto graph = camtest::buildPreviewGraph(source.get(), PIN_CATEGORY_PREVIEW, nullptr,
                                                  nullptr, output.get());
    harness::checkHr(graph->control->Run(), "Run");
    camtest::waitForFrame(graph->grabber.get());
}

Frame grabFrame(DWORD timeoutMs) {
    Frame frame;
    const int size = vcx_GetImageMemSize(0);
    if (size <= 0) {
        frame.result = size;
        return frame;
    }
    frame.bits.resize(static_cast<std::size_t>(size));
    BITMAPINFO header{};
    int length = 0;
    frame.result = harness::onceAFrameIsThere(
        [&] {
            length = size;
            return vcx_GetImageMem(frame.bits.data(), &length, &header);
        },
        timeoutMs);
    if (frame.result == 0) {
        frame.bits.resize(static_cast<std::size_t>(length));
    }
    frame.header = header.bmiHeader;
    return frame;
}

bool isCameraPicture(const Frame& frame, long width, long height) {
    return frame.result == 0 && frame.header.biWidth == width && frame.header.biHeight == height &&
           frame.header.biBitCount == 24 &&
           camtest::matchPicture(frame.bits, width, height).has_value();
}

std::wstring formatLine(int width, int height, int fps) {
    return std::to_wstring(width) + L"x" + std::to_wstring(height) + L"@" + std::to_wstring(fps);
}

} // namespace endurance
