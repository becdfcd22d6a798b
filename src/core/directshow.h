// DirectShow declarations the library needs beyond the toolchain's headers.
#pragma once

#include <windows.h>
#include <dshow.h>
#include <qedit.h>

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
