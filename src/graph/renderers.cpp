// Modes 0 and 6: a renderer the library creates, adds under its own name and
// feeds with the device's preview stream through the Sample Grabber.
#include "graph/branches.h"

#include "core/directshow.h"
#include "core/platform.h"

namespace vcx {
namespace {

struct Renderer {
    const CLSID* clsid;
    const wchar_t* name;
    int32_t notCreated;
    int32_t notAdded;
    int32_t notRendered;
};

int32_t buildRenderer(CaptureSlot& slot, const Renderer& renderer) {
    if (platform().coCreateInstance(*renderer.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                    reinterpret_cast<void**>(&slot.rendererFilter)) != S_OK) {
        return renderer.notCreated;
    }
    if (!filterAdded(slot.graph->AddFilter(slot.rendererFilter, renderer.name))) {
        return renderer.notAdded;
    }
    if (previewRenderFailed(renderPreview(slot, nullptr, slot.rendererFilter))) {
        return renderer.notRendered;
    }
    return 0;
}

} // namespace

HRESULT renderPreview(const CaptureSlot& slot, const GUID* type, IBaseFilter* renderer) {
    return slot.captureBuilder->RenderStream(&PIN_CATEGORY_PREVIEW, type, slot.sourceFilter,
                                             slot.grabberFilter, renderer);
}

bool previewRenderFailed(HRESULT hr) {
    return hr == E_FAIL || hr == E_INVALIDARG || hr == E_POINTER;
}

bool filterAdded(HRESULT hr) {
    return hr == S_OK || hr == VFW_S_DUPLICATE_NAME;
}

int32_t buildVideoRenderer(CaptureSlot& slot) {
    return buildRenderer(slot, {&CLSID_VideoRenderer, L"Video Renderer", -39, -79, -76});
}

int32_t buildNullRenderer(CaptureSlot& slot) {
    return buildRenderer(slot, {&kClsidNullRenderer, L"Null Renderer", -44, -59, -56});
}

} // namespace vcx
