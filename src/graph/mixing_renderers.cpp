// Modes 1 and 2: the Video Mixing Renderer 7 or 9, given the host's rendering
// mode and number of streams through its configuration interface before it
// joins the graph and before anything is connected to it.
#include "graph/branches.h"

#include <d3d9.h>
#include <vmr9.h>

#include "core/com_ptr.h"
#include "core/platform.h"

namespace vcx {
namespace {

struct MixingRenderer {
    const CLSID* clsid;
    IBaseFilter* CaptureSlot::*field;
    const wchar_t* name;
    int32_t notCreated;
    int32_t noConfig;
    int32_t modeRefused;
    int32_t streamsRefused;
    int32_t notAdded;
    int32_t notRendered;
};

// The configuration steps; the interface is released on every path.
template <class Config>
int32_t configure(const MixingRenderer& renderer, IBaseFilter* filter, DWORD renderingMode,
                  DWORD streams) {
    const ComPtr<Config> config = query<Config>(filter);
    if (!config) {
        return renderer.noConfig;
    }
    if (config->SetRenderingMode(renderingMode) != S_OK) {
        return renderer.modeRefused;
    }
    if (config->SetNumberOfStreams(streams) != S_OK) {
        return renderer.streamsRefused;
    }
    return 0;
}

template <class Config>
int32_t buildMixingRenderer(CaptureSlot& slot, const MixingRenderer& renderer, DWORD renderingMode,
                            DWORD streams) {
    IBaseFilter*& filter = slot.*renderer.field;
    if (platform().coCreateInstance(*renderer.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                    reinterpret_cast<void**>(&filter)) != S_OK) {
        return renderer.notCreated;
    }
    if (const int32_t failed = configure<Config>(renderer, filter, renderingMode, streams);
        failed < 0) {
        return failed;
    }
    if (!filterAdded(slot.graph->AddFilter(filter, renderer.name))) {
        return renderer.notAdded;
    }
    if (previewRenderFailed(renderPreview(slot, nullptr, filter))) {
        return renderer.notRendered;
    }
    return 0;
}

} // namespace

int32_t buildMixingRenderer7(CaptureSlot& slot, DWORD renderingMode, DWORD streams) {
    return buildMixingRenderer<IVMRFilterConfig>(slot,
                                                 {&CLSID_VideoMixingRenderer,
                                                  &CaptureSlot::vmr7Filter, L"VMR7", -40, -41, -87,
                                                  -88, -89, -86},
                                                 renderingMode, streams);
}

int32_t buildMixingRenderer9(CaptureSlot& slot, DWORD renderingMode, DWORD streams) {
    return buildMixingRenderer<IVMRFilterConfig9>(slot,
                                                  {&CLSID_VideoMixingRenderer9,
                                                   &CaptureSlot::vmr9Filter, L"VMR9", -42, -43, -97,
                                                   -98, -99, -96},
                                                  renderingMode, streams);
}

} // namespace vcx
