// A property bag that answers every Read with a copy of one VARIANT, whatever
// type the caller asked for: a FriendlyName that is a number, an empty value
// or a null string.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "fakes/fake_com.h"

namespace fakes {

class FakeVariantBag : public FakeCom, public IPropertyBag {
  public:
    // Takes ownership of value.
    FakeVariantBag(std::string name, VARIANT value) : FakeCom(std::move(name)), value_(value) {}
    ~FakeVariantBag() override { VariantClear(&value_); }
    FAKE_IUNKNOWN
    void* find(REFIID iid) override;

    // The type the last Read asked for.
    VARTYPE askedType = VT_ILLEGAL;

    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR property, VARIANT* value, IErrorLog* log) override;
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }

  private:
    VARIANT value_;
};

} // namespace fakes
