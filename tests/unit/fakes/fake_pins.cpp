#include "fakes/fake_pins.h"

#include "fakes/fake_enumerator.h"
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

// FakeEnumPins

void* FakeEnumPins::find(REFIID iid) {
    if (iid == IID_IUnknown || iid == IID_IEnumPins) {
        return static_cast<IEnumPins*>(this);
    }
    return nullptr;
}

HRESULT FakeEnumPins::Next(ULONG count, IPin** out, ULONG* fetched) {
    return answerNext(call("Next(" + std::to_string(count) + ")"), pins, position_, -1, S_OK,
                      IID_IPin, reinterpret_cast<void**>(out), fetched);
}

HRESULT FakeEnumPins::Reset() {
    position_ = 0;
    return call("Reset");
}

} // namespace fakes
