// Modes 300 and 301: the device's capture stream into an AVI file, through a
// compressor when the host names one, and the preview stream through the
// Sample Grabber (into a Null Renderer for 300, into a renderer the builder
// chooses for 301).
#include "graph/branches.h"

#include "core/directshow.h"
#include "core/platform.h"
#include "graph/compressor_search.h"
#include "graph/output.h"

namespace vcx {
namespace {

struct CaptureCodes {
    int32_t noFile;
    int32_t notRendered;
};

// The builder's multiplexer and file writer for fileName, in muxFilter. A
// builder that has no file output (Wine's answers E_NOTIMPL) leaves the job
// to the library's own AVI writer, and only then; any other answer stands.
HRESULT setOutputFile(CaptureSlot& slot, LPCOLESTR fileName) {
    HRESULT hr = slot.captureBuilder->SetOutputFileName(&MEDIASUBTYPE_Avi, fileName,
                                                        &slot.muxFilter, nullptr);
    const auto ownWriter = platform().setAviOutputFileName;
    slot.builderMux = hr == S_OK;
    if (hr == E_NOTIMPL && ownWriter != nullptr) {
        hr = ownWriter(slot.graph, &MEDIASUBTYPE_Avi, fileName, &slot.muxFilter, nullptr);
    }
    return hr;
}

int32_t buildCaptureStream(CaptureSlot& slot, LPCOLESTR fileName, const wchar_t* compressorName) {
    CaptureCodes codes = {-45, -46};
    if (compressorName != nullptr) {
        if (const int32_t failed = addCompressor(slot, compressorName); failed < 0) {
            return failed;
        }
        codes = {-50, -51};
    }
    if (setOutputFile(slot, fileName) != S_OK) {
        return codes.noFile;
    }
    if (slot.captureBuilder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video,
                                          slot.sourceFilter, slot.compressorFilter,
                                          slot.muxFilter) != S_OK) {
        return codes.notRendered;
    }
    return 0;
}

bool previewRendered(HRESULT hr) {
    return hr == S_OK || hr == VFW_S_NOPREVIEWPIN;
}

int32_t buildNullPreview(CaptureSlot& slot) {
    if (platform().coCreateInstance(kClsidNullRenderer, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IBaseFilter,
                                    reinterpret_cast<void**>(&slot.rendererFilter)) != S_OK) {
        return -52;
    }
    if (slot.graph->AddFilter(slot.rendererFilter, L"Null Renderer") != S_OK) {
        return -53;
    }
    if (!previewRendered(renderPreview(slot, &MEDIATYPE_Video, slot.rendererFilter))) {
        return -54;
    }
    return 0;
}

} // namespace

int32_t buildFileOutput(CaptureSlot& slot, int32_t mode, LPCOLESTR fileName,
                        const wchar_t* compressorName) {
    if (const int32_t failed = buildCaptureStream(slot, fileName, compressorName); failed < 0) {
        return failed;
    }
    if (mode == kModeAviFile) {
        return buildNullPreview(slot);
    }
    return previewRendered(renderPreview(slot, &MEDIATYPE_Video, nullptr)) ? 0 : -55;
}

} // namespace vcx
