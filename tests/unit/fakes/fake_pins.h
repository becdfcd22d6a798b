// Fake pins of a filter and their enumerator. A pin may offer property pages.
#pragma once

#include <windows.h>
#include <dshow.h>
#include <ocidl.h>

#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_com.h"
#include "fakes/fake_enumerator.h"
#include "fakes/fake_stream_config.h"

namespace fakes {

// A pin: IPin, and ISpecifyPropertyPages while offersPages is set.
class FakePin : public FakeCom, public IPin, public ISpecifyPropertyPages {
  public:
    explicit FakePin(std::string name) : FakeCom(std::move(name)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        return query(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return addRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return release(); }
    void* find(REFIID iid) override;

    bool offersPages = true;
    std::vector<CLSID> pages;

    // ISpecifyPropertyPages: journaled "GetPages"; a failing configured
    // result hands out nothing.
    HRESULT STDMETHODCALLTYPE GetPages(CAUUID* out) override;

    // IPin: nothing else the library calls.
    HRESULT STDMETHODCALLTYPE Connect(IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Disconnect() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ConnectedTo(IPin**) override { return E_NOTIMPL; }
    // The type the pin is connected with; none: not connected.
    std::optional<FakeCapability> connection;
    // Journaled "ConnectionMediaType": fills in the connection's type, or
    // answers VFW_E_NOT_CONNECTED.
    HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryId(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin**, ULONG*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EndOfStream() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BeginFlush() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EndFlush() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override {
        return E_NOTIMPL;
    }
};

// A pin enumerator over pins the test owns.
using FakeEnumPins = FakeEnum<IEnumPins, IPin>;

} // namespace fakes
