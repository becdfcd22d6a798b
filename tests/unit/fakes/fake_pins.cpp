#include "fakes/fake_pins.h"

#include "fakes/fake_property_pages.h"

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

} // namespace fakes
