#include "class_factory.h"

#include "camera_filter.h"
#include "module.h"

#include <new>

namespace vcxcam {

namespace {

class CameraClassFactory final : public IClassFactory {
  public:
    explicit CameraClassFactory(int index) : index_(index) {}
    CameraClassFactory(const CameraClassFactory&) = delete;
    CameraClassFactory& operator=(const CameraClassFactory&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
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

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        if (outer != nullptr) {
            return CLASS_E_NOAGGREGATION;
        }
        return CameraFilter::create(index_, iid, out);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock) {
            lockModule();
        } else {
            unlockModule();
        }
        return S_OK;
    }

  private:
    ~CameraClassFactory() = default;

    ModuleReference moduleReference_;
    LONG references_ = 1;
    const int index_;
};

} // namespace

HRESULT getCameraClassObject(int index, REFIID iid, void** out) {
    auto* factory = new (std::nothrow) CameraClassFactory(index);
    if (factory == nullptr) {
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = factory->QueryInterface(iid, out);
    factory->Release();
    return hr;
}

} // namespace vcxcam
