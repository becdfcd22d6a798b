#include "filterbase/filter_base.h"

#include "filterbase/enumerators.h"

#include <vfwmsgs.h>
#include <cwchar>
#include <new>
#include <vector>

namespace filterbase {

FilterBase::FilterBase(const CLSID& clsid) : clsid_(clsid) {}

FilterBase::~FilterBase() {
    if (clock_ != nullptr) {
        clock_->Release();
    }
}

STDMETHODIMP FilterBase::QueryInterface(REFIID iid, void** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    if (iid == IID_IUnknown || iid == IID_IPersist || iid == IID_IMediaFilter ||
        iid == IID_IBaseFilter) {
        *out = static_cast<IBaseFilter*>(this);
    } else if (iid == IID_IAMFilterMiscFlags) {
        *out = static_cast<IAMFilterMiscFlags*>(this);
    } else {
        *out = nullptr;
        return queryExtraInterface(iid, out);
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) FilterBase::AddRef() {
    return InterlockedIncrement(&references_);
}

STDMETHODIMP_(ULONG) FilterBase::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) {
        delete this;
    }
    return static_cast<ULONG>(left);
}

STDMETHODIMP FilterBase::GetClassID(CLSID* clsid) {
    if (clsid == nullptr) {
        return E_POINTER;
    }
    *clsid = clsid_;
    return S_OK;
}

STDMETHODIMP FilterBase::Stop() {
    Locked lock(controlLock_);
    if (state_ != State_Stopped) {
        state_ = State_Stopped;
        deactivate();
    }
    return S_OK;
}

STDMETHODIMP FilterBase::Pause() {
    Locked lock(controlLock_);
    if (state_ == State_Stopped) {
        HRESULT hr = E_OUTOFMEMORY;
        try {
            hr = activate();
        } catch (const std::bad_alloc&) {
        }
        if (FAILED(hr)) {
            deactivate();
            return hr;
        }
    } else if (state_ == State_Running) {
        pauseRunning();
    }
    state_ = State_Paused;
    return S_OK;
}

STDMETHODIMP FilterBase::Run(REFERENCE_TIME start) {
    Locked lock(controlLock_);
    if (state_ == State_Running) {
        return S_OK;
    }
    if (state_ == State_Stopped) {
        const HRESULT hr = Pause();
        if (FAILED(hr)) {
            return hr;
        }
    }
    state_ = State_Running;
    run(start);
    return S_OK;
}

STDMETHODIMP FilterBase::GetState(DWORD, FILTER_STATE* state) {
    if (state == nullptr) {
        return E_POINTER;
    }
    Locked lock(controlLock_);
    *state = state_;
    return state_ == State_Paused && isLiveSource() ? VFW_S_CANT_CUE : S_OK;
}

STDMETHODIMP FilterBase::SetSyncSource(IReferenceClock* clock) {
    Locked lock(controlLock_);
    if (clock != nullptr) {
        clock->AddRef();
    }
    if (clock_ != nullptr) {
        clock_->Release();
    }
    clock_ = clock;
    return S_OK;
}

STDMETHODIMP FilterBase::GetSyncSource(IReferenceClock** clock) {
    if (clock == nullptr) {
        return E_POINTER;
    }
    Locked lock(controlLock_);
    *clock = clockRef();
    return S_OK;
}

IReferenceClock* FilterBase::clockRef() const {
    if (clock_ != nullptr) {
        clock_->AddRef();
    }
    return clock_;
}

STDMETHODIMP FilterBase::EnumPins(IEnumPins** pins) {
    try {
        std::vector<IPin*> all;
        for (ULONG i = 0; i < pinCount(); ++i) {
            all.push_back(pinAt(i));
        }
        return createPinEnumerator(all, pins);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP FilterBase::FindPin(LPCWSTR id, IPin** pin) {
    if (id == nullptr || pin == nullptr) {
        return E_POINTER;
    }
    *pin = nullptr;
    for (ULONG i = 0; i < pinCount(); ++i) {
        IPin* candidate = pinAt(i);
        LPWSTR candidateId = nullptr;
        if (SUCCEEDED(candidate->QueryId(&candidateId))) {
            const bool match = std::wcscmp(candidateId, id) == 0;
            CoTaskMemFree(candidateId);
            if (match) {
                candidate->AddRef();
                *pin = candidate;
                return S_OK;
            }
        }
    }
    return VFW_E_NOT_FOUND;
}

STDMETHODIMP FilterBase::QueryFilterInfo(FILTER_INFO* info) {
    if (info == nullptr) {
        return E_POINTER;
    }
    Locked lock(controlLock_);
    const std::size_t length =
        name_.size() < MAX_FILTER_NAME - 1 ? name_.size() : MAX_FILTER_NAME - 1;
    std::wmemcpy(info->achName, name_.c_str(), length);
    info->achName[length] = L'\0';
    info->pGraph = graph_;
    if (graph_ != nullptr) {
        graph_->AddRef();
    }
    return S_OK;
}

STDMETHODIMP FilterBase::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
    Locked lock(controlLock_);
    // The graph holds the filter; a counted reference back would be a cycle.
    graph_ = graph;
    name_ = graph != nullptr && name != nullptr ? name : L"";
    return S_OK;
}

STDMETHODIMP FilterBase::QueryVendorInfo(LPWSTR* info) {
    if (info == nullptr) {
        return E_POINTER;
    }
    *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP_(ULONG) FilterBase::GetMiscFlags() {
    return miscFlags();
}

} // namespace filterbase
