#include "fakes/fake_variant_bag.h"

namespace fakes {

void* FakeVariantBag::find(REFIID iid) {
    if (iid == IID_IUnknown || iid == IID_IPropertyBag) {
        return static_cast<IPropertyBag*>(this);
    }
    return nullptr;
}

HRESULT FakeVariantBag::Read(LPCOLESTR property, VARIANT* value, IErrorLog* log) {
    askedType = value->vt;
    const HRESULT hr = call("Read(" + narrow(property) + (log == nullptr ? ", no log)" : ", log)"));
    if (FAILED(hr)) {
        return hr;
    }
    // Overwrites the caller's VARIANT as a careless bag would, without
    // clearing what it held.
    VariantInit(value);
    VariantCopy(value, &value_);
    return hr;
}

} // namespace fakes
