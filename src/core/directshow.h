// DirectShow declarations the library needs beyond the toolchain's headers.
#pragma once

#include <windows.h>
#include <dshow.h>
#include <qedit.h>

// Interface identifiers for __uuidof (vcx::query) that the toolchain's
// headers do not declare.
__CRT_UUID_DECL(IMediaEventEx, 0x56a868c0, 0x0ad4, 0x11ce, 0xb0, 0x3a, 0x00, 0x20, 0xaf, 0x0b, 0xa7,
                0x70)
__CRT_UUID_DECL(IVMRFilterConfig, 0x9e5530c5, 0x7034, 0x48b4, 0xbb, 0x46, 0x0b, 0x8a, 0x6e, 0xfc,
                0x8e, 0x36)
__CRT_UUID_DECL(IVMRMixerBitmap, 0x1e673275, 0x0257, 0x40aa, 0xaf, 0x20, 0x7c, 0x60, 0x8d, 0x4a,
                0x04, 0x28)

namespace vcx {

// Class identifiers the toolchain's headers do not declare.
extern const CLSID kClsidSampleGrabber; // {C1F400A0-3F08-11d3-9F0B-006008039E37}
extern const CLSID kClsidNullRenderer;  // {C1F400A4-3F08-11d3-9F0B-006008039E37}

// Frees what an AM_MEDIA_TYPE owns (format block and pUnk), not the
// structure itself: the filter base's routine, with task memory given back
// through the platform table.
void freeMediaTypeFields(AM_MEDIA_TYPE& type);

// Frees an AM_MEDIA_TYPE the platform allocated, structure included.
void deleteMediaType(AM_MEDIA_TYPE* type);

// A filter's FILTER_INFO, holding the graph reference that comes with it
// until the holder goes.
class FilterInfo : public FILTER_INFO {
  public:
    FilterInfo() : FILTER_INFO{} {}
    FilterInfo(const FilterInfo&) = delete;
    FilterInfo& operator=(const FilterInfo&) = delete;
    ~FilterInfo() {
        if (pGraph != nullptr) {
            pGraph->Release();
        }
    }

    // QueryFilterInfo into the holder, its result unchanged. A failing call
    // hands out no graph reference, so none is kept from it.
    HRESULT query(IBaseFilter& filter) {
        const HRESULT hr = filter.QueryFilterInfo(this);
        if (FAILED(hr)) {
            pGraph = nullptr;
        }
        return hr;
    }
};

} // namespace vcx
