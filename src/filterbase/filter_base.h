// The part of a DirectShow filter every filter kind shares: COM
// identity and reference count, IPersist, IMediaFilter state changes,
// IBaseFilter graph membership and pin lookup, IAMFilterMiscFlags. A filter
// kind supplies its pins and what happens on each state change.
#pragma once

#include "filterbase/live_object.h"
#include "filterbase/sync.h"

#include <windows.h>
#include <strmif.h>

#include <new>
#include <string>

namespace filterbase {

class FilterBase : public IBaseFilter, public IAMFilterMiscFlags {
  public:
    FilterBase(const FilterBase&) = delete;
    FilterBase& operator=(const FilterBase&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPersist
    STDMETHODIMP GetClassID(CLSID* clsid) override;

    // IMediaFilter
    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Run(REFERENCE_TIME start) override;
    STDMETHODIMP GetState(DWORD timeoutMs, FILTER_STATE* state) override;
    STDMETHODIMP SetSyncSource(IReferenceClock* clock) override;
    STDMETHODIMP GetSyncSource(IReferenceClock** clock) override;

    // IBaseFilter
    STDMETHODIMP EnumPins(IEnumPins** pins) override;
    STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override;
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override;
    STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    STDMETHODIMP QueryVendorInfo(LPWSTR* info) override;

    // IAMFilterMiscFlags
    STDMETHODIMP_(ULONG) GetMiscFlags() override;

    // Serialises state changes, connections and format changes. Recursive;
    // never taken by a streaming thread.
    CriticalSection& controlLock() { return controlLock_; }
    // Current state; call with controlLock() held.
    FILTER_STATE state() const { return state_; }
    // The graph the filter is in (not counted), or null; controlLock() held.
    IFilterGraph* graph() const { return graph_; }
    // The reference clock with a new reference, or null; controlLock() held.
    IReferenceClock* clockRef() const;

  protected:
    explicit FilterBase(const CLSID& clsid);
    virtual ~FilterBase();

    // The filter's pins, not counted; the set does not change after construction.
    virtual ULONG pinCount() const = 0;
    virtual IPin* pinAt(ULONG index) const = 0;

    // State change hooks, called with controlLock() held. activate runs on
    // Stopped -> Paused before the state changes, and a failure leaves the
    // filter stopped; deactivate runs on any state -> Stopped.
    virtual HRESULT activate() { return S_OK; }
    virtual void run(REFERENCE_TIME /*start*/) {}
    virtual void pauseRunning() {}
    virtual void deactivate() {}

    // Whether the filter is a live source: paused, it cannot cue data.
    virtual bool isLiveSource() const { return false; }
    virtual ULONG miscFlags() const { return 0; }
    // Interfaces a filter kind adds to its identity.
    virtual HRESULT queryExtraInterface(REFIID /*iid*/, void** /*out*/) { return E_NOINTERFACE; }

  private:
    LiveObject liveObject_;
    LONG references_ = 1;
    const CLSID clsid_;
    CriticalSection controlLock_;
    FILTER_STATE state_ = State_Stopped;
    IReferenceClock* clock_ = nullptr;
    IFilterGraph* graph_ = nullptr;
    std::wstring name_;
};

// What a filter kind's create function does: makes the filter with make()
// (which returns a new filter holding one reference, and may throw
// std::bad_alloc) and hands it out as iid.
template <class Make> HRESULT createFilter(Make make, REFIID iid, void** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    FilterBase* filter = nullptr;
    try {
        filter = make();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = filter->QueryInterface(iid, out);
    filter->Release();
    return hr;
}

} // namespace filterbase
