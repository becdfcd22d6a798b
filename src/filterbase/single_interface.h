// The IUnknown of a heap object that implements one COM interface and counts
// its own references; it starts with one, owned by its creator.
#pragma once

#include "filterbase/live_object.h"

#include <windows.h>
#include <unknwn.h>

namespace filterbase {

template <class Interface> class SingleInterfaceObject : public Interface {
  public:
    SingleInterfaceObject(const SingleInterfaceObject&) = delete;
    SingleInterfaceObject& operator=(const SingleInterfaceObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        if (iid == IID_IUnknown || iid == __uuidof(Interface)) {
            *out = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&references_); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) {
            delete this;
        }
        return static_cast<ULONG>(left);
    }

  protected:
    SingleInterfaceObject() = default;
    virtual ~SingleInterfaceObject() = default;

  private:
    LiveObject liveObject_;
    LONG references_ = 1;
};

} // namespace filterbase
