#include "graph_spy.h"

#include "harness.h"

#include <objbase.h>

namespace harness {

// Creates graphs through the system's own class object and remembers the
// newest. Lives on the test's thread only.
class GraphSpy::Factory final : public IClassFactory {
  public:
    explicit Factory(IClassFactory* system) : system_(system) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --refs_;
        if (left == 0) {
            delete this;
        }
        return left;
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        const HRESULT hr = system_->CreateInstance(outer, iid, out);
        if (SUCCEEDED(hr) && outer == nullptr) {
            static_cast<IUnknown*>(*out)->QueryInterface(IID_IGraphBuilder, newest.putVoid());
        }
        return hr;
    }
    STDMETHODIMP LockServer(BOOL lock) override { return system_->LockServer(lock); }

    vcx::ComPtr<IGraphBuilder> newest;

  private:
    ~Factory() { system_->Release(); }

    IClassFactory* system_;
    ULONG refs_ = 1;
};

GraphSpy::GraphSpy() {
    IClassFactory* system = nullptr;
    checkHr(CoGetClassObject(CLSID_FilterGraph, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                             reinterpret_cast<void**>(&system)),
            "CoGetClassObject(CLSID_FilterGraph)");
    factory_ = new Factory(system);
    const HRESULT hr = CoRegisterClassObject(CLSID_FilterGraph, factory_, CLSCTX_INPROC_SERVER,
                                             REGCLS_MULTIPLEUSE, &cookie_);
    if (FAILED(hr)) {
        factory_->Release();
        checkHr(hr, "CoRegisterClassObject(CLSID_FilterGraph)");
    }
}

GraphSpy::~GraphSpy() {
    CoRevokeClassObject(cookie_);
    factory_->newest.reset();
    factory_->Release();
}

vcx::ComPtr<IGraphBuilder> GraphSpy::takeGraph() {
    return std::move(factory_->newest);
}

} // namespace harness
