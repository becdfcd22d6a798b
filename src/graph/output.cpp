#include "graph/output.h"

#include "graph/branches.h"

namespace vcx {
namespace {

// Modes 1 and 2 read the pointer-sized arguments as a rendering mode and a
// number of streams, the 32-bit values the mixing renderers take.
DWORD narrowToDword(vcx_intptr value) {
    return static_cast<DWORD>(value);
}

// Modes 300 and 301 read them as addresses of UTF-16 strings.
const wchar_t* textAt(vcx_intptr address) {
    return reinterpret_cast<const wchar_t*>(address);
}

} // namespace

int32_t buildOutput(CaptureSlot& slot, int32_t mode, vcx_intptr fileOrRenderMode,
                    vcx_intptr codecOrStreams) {
    switch (mode) {
    case kModeVideoRenderer:
        return buildVideoRenderer(slot);
    case kModeMixingRenderer7:
        return buildMixingRenderer7(slot, narrowToDword(fileOrRenderMode),
                                    narrowToDword(codecOrStreams));
    case kModeMixingRenderer9:
        return buildMixingRenderer9(slot, narrowToDword(fileOrRenderMode),
                                    narrowToDword(codecOrStreams));
    case kModeNullRenderer:
        return buildNullRenderer(slot);
    case kModeAviFile:
    case kModeAviFileWithPreview:
        return buildFileOutput(slot, mode, textAt(fileOrRenderMode), textAt(codecOrStreams));
    default:
        return 0;
    }
}

} // namespace vcx
