#include "class_factory.h"

#include "camera_filter.h"
#include "module.h"
#include "filterbase/single_interface.h"

#include <new>

namespace vcxcam {

namespace {

class CameraClassFactory final : public filterbase::SingleInterfaceObject<IClassFactory> {
  public:
    explicit CameraClassFactory(int index) : index_(index) {}

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
    ~CameraClassFactory() override = default;

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
