// vcx_VMRMixImage: a bitmap from a host device context laid over the picture
// of the mixing renderers.
#include "vcxcap.h"

#include <windows.h>
#include <d3d9.h>
#include <dshow.h>
#include <vmr9.h>

#include <cstdint>
#include <cstring>

#include "core/com_ptr.h"
#include "core/host_handle.h"
#include "core/platform.h"
#include "core/slots.h"

using namespace vcx;

namespace {

// The arguments of one overlay call, as the host passed them.
struct Overlay {
    int hdc;
    int srcLeft, srcTop, srcRight, srcBottom;
    float alpha;
    float destLeft, destTop, destRight, destBottom;
    int useColorKey;
    int keyRed, keyGreen, keyBlue;
};

// VMRALPHABITMAP and VMR9AlphaBitmap share every field but the last, which
// stays zero: the filter mode is never set.
template <class Bitmap> Bitmap alphaBitmap(const Overlay& overlay) {
    static_assert(VMRBITMAP_HDC == VMR9AlphaBitmap_hDC &&
                  VMRBITMAP_SRCCOLORKEY == VMR9AlphaBitmap_SrcColorKey);
    Bitmap bitmap;
    std::memset(&bitmap, 0, sizeof bitmap);
    bitmap.dwFlags = VMRBITMAP_HDC | (overlay.useColorKey == 1 ? VMRBITMAP_SRCCOLORKEY : 0);
    bitmap.hdc = hostHandle<HDC>(overlay.hdc);
    bitmap.pDDS = nullptr;
    platform().setRect(&bitmap.rSrc, overlay.srcLeft, overlay.srcTop, overlay.srcRight,
                       overlay.srcBottom);
    bitmap.rDest.left = overlay.destLeft;
    bitmap.rDest.top = overlay.destTop;
    bitmap.rDest.right = overlay.destRight;
    bitmap.rDest.bottom = overlay.destBottom;
    bitmap.fAlpha = overlay.alpha;
    bitmap.clrSrcKey = RGB(overlay.keyRed & 0xFF, overlay.keyGreen & 0xFF, overlay.keyBlue & 0xFF);
    return bitmap;
}

int32_t mapMixerResult(HRESULT hr) {
    switch (hr) {
    case S_OK:
        return 0;
    case E_INVALIDARG:
        return -4;
    case E_POINTER:
        return -5;
    case E_OUTOFMEMORY:
        return -6;
    case E_FAIL:
        return -7;
    default:
        return hr;
    }
}

// Hands the overlay to the renderer's mixer-bitmap interface Mixer.
template <class Mixer, class Bitmap>
int32_t mixThrough(IBaseFilter* renderer, const Overlay& overlay) {
    if (renderer == nullptr) {
        return -3;
    }
    const ComPtr<Mixer> mixer = query<Mixer>(renderer);
    if (!mixer) {
        return -9;
    }
    const Bitmap bitmap = alphaBitmap<Bitmap>(overlay);
    return mapMixerResult(mixer->SetAlphaBitmap(&bitmap));
}

} // namespace

extern "C" int VCXAPI vcx_VMRMixImage(int hdc, int srcLeft, int srcTop, int srcRight, int srcBottom,
                                      float alpha, float destLeft, float destTop, float destRight,
                                      float destBottom, int useColorKey, int keyRed, int keyGreen,
                                      int keyBlue) {
    const int32_t guard = checkSlotState(kGuardSlotRunning);
    if (guard < 0) {
        return guard;
    }
    const Overlay overlay = {hdc,         srcLeft,  srcTop,   srcRight,  srcBottom,
                             alpha,       destLeft, destTop,  destRight, destBottom,
                             useColorKey, keyRed,   keyGreen, keyBlue};
    const CaptureSlot& slot = activeSlot();
    switch (slot.outputMode) {
    case 0:
        return -2;
    case 1:
        return mixThrough<IVMRMixerBitmap, VMRALPHABITMAP>(slot.vmr7Filter, overlay);
    case 2:
        return mixThrough<IVMRMixerBitmap9, VMR9AlphaBitmap>(slot.vmr9Filter, overlay);
    default:
        return -8;
    }
}
