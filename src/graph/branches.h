// The output branches of open, one per kind of output, and the render rules
// they share.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <cstdint>

#include "core/slots.h"

namespace vcx {

// Modes 0 and 6: the Video Renderer or the Null Renderer in rendererFilter.
int32_t buildVideoRenderer(CaptureSlot& slot);
int32_t buildNullRenderer(CaptureSlot& slot);

// Modes 1 and 2: a mixing renderer configured with the host's rendering mode
// and number of streams before it joins the graph.
int32_t buildMixingRenderer7(CaptureSlot& slot, DWORD renderingMode, DWORD streams);
int32_t buildMixingRenderer9(CaptureSlot& slot, DWORD renderingMode, DWORD streams);

// Modes 300 and 301: the capture stream into an AVI file, through the named
// compressor when compressorName is not null, and the mode's preview.
int32_t buildFileOutput(CaptureSlot& slot, int32_t mode, LPCOLESTR fileName,
                        const wchar_t* compressorName);

// Renders the device's preview stream through the Sample Grabber into
// renderer (null: a renderer of the builder's choice).
HRESULT renderPreview(const CaptureSlot& slot, const GUID* type, IBaseFilter* renderer);

// The window outputs' rule for the preview render: only these three results
// fail it; any other, errors included, leaves the output unconnected and open
// goes on.
bool previewRenderFailed(HRESULT hr);

// AddFilter's rule for the renderers of modes 0, 1, 2 and 6: a name the graph
// had to make unique still adds the filter.
bool filterAdded(HRESULT hr);

} // namespace vcx
