#include "fakes/fake_pins.h"

#include "fakes/fake_property_pages.h"

#include <vfwmsgs.h>

namespace fakes {

// FakePin

void* FakePin::find(REFIID iid) {
    if (iid == IID_IUnknown || iid == IID_IPin) {
        return static_cast<IPin*>(this);
    }
    if (iid == IID_ISpecifyPropertyPages && offersPages) {
        return static_cast<ISpecifyPropertyPages*>(this);
    }
    return nullptr;
}

HRESULT FakePin::GetPages(CAUUID* out) {
    const HRESULT hr = call("GetPages");
    if (SUCCEEDED(hr)) {
        handOutPages(pages, out);
    }
    return hr;
}

HRESULT FakePin::ConnectionMediaType(AM_MEDIA_TYPE* type) {
    const HRESULT hr = call("ConnectionMediaType");
    if (FAILED(hr)) {
        return hr;
    }
    if (!connection) {
        return VFW_E_NOT_CONNECTED;
    }
    fillMediaType(*connection, *type);
    return hr;
}

} // namespace fakes
