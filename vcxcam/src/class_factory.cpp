#include "class_factory.h"

#include "module.h"
#include "filterbase/single_interface.h"

#include <new>

namespace vcxcam {

namespace {

class ClassFactory final : public filterbase::SingleInterfaceObject<IClassFactory> {
  public:
    ClassFactory(FilterCreator create, int index) : create_(create), index_(index) {}

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        if (outer != nullptr) {
            return CLASS_E_NOAGGREGATION;
        }
        return create_(index_, iid, out);
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
    ~ClassFactory() override = default;

    const FilterCreator create_;
    const int index_;
};

} // namespace

HRESULT getClassObject(FilterCreator create, int index, REFIID iid, void** out) {
    auto* factory = new (std::nothrow) ClassFactory(create, index);
    if (factory == nullptr) {
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = factory->QueryInterface(iid, out);
    factory->Release();
    return hr;
}

} // namespace vcxcam
