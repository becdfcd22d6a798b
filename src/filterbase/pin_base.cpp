#include "filterbase/pin_base.h"

#include "filterbase/enumerators.h"
#include "filterbase/filter_base.h"

#include <vfwmsgs.h>

#include <cwchar>

namespace filterbase {

PinBase::PinBase(FilterBase& filter, std::wstring name, PIN_DIRECTION direction)
    : filter_(filter), name_(std::move(name)), direction_(direction) {}

PinBase::~PinBase() {
    clearPeer();
}

STDMETHODIMP PinBase::QueryInterface(REFIID iid, void** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    if (iid == IID_IUnknown || iid == IID_IPin) {
        *out = static_cast<IPin*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return queryExtraInterface(iid, out);
}

STDMETHODIMP_(ULONG) PinBase::AddRef() {
    return filter_.AddRef();
}

STDMETHODIMP_(ULONG) PinBase::Release() {
    return filter_.Release();
}

bool PinBase::setConnection(IPin* peer, const AM_MEDIA_TYPE& type) {
    if (FAILED(type_.copyFrom(type))) {
        return false;
    }
    peer->AddRef();
    peer_ = peer;
    return true;
}

void PinBase::clearPeer() {
    if (peer_ != nullptr) {
        peer_->Release();
        peer_ = nullptr;
    }
    type_.reset();
}

STDMETHODIMP PinBase::Disconnect() {
    Locked lock(filter_.controlLock());
    if (filter_.state() != State_Stopped) {
        return VFW_E_NOT_STOPPED;
    }
    if (peer_ == nullptr) {
        return S_FALSE;
    }
    releaseConnection();
    clearPeer();
    return S_OK;
}

STDMETHODIMP PinBase::ConnectedTo(IPin** pin) {
    if (pin == nullptr) {
        return E_POINTER;
    }
    Locked lock(filter_.controlLock());
    *pin = peer_;
    if (peer_ == nullptr) {
        return VFW_E_NOT_CONNECTED;
    }
    peer_->AddRef();
    return S_OK;
}

STDMETHODIMP PinBase::ConnectionMediaType(AM_MEDIA_TYPE* type) {
    if (type == nullptr) {
        return E_POINTER;
    }
    Locked lock(filter_.controlLock());
    if (peer_ == nullptr) {
        *type = AM_MEDIA_TYPE{};
        return VFW_E_NOT_CONNECTED;
    }
    return copyMediaType(*type, type_.get());
}

STDMETHODIMP PinBase::QueryPinInfo(PIN_INFO* info) {
    if (info == nullptr) {
        return E_POINTER;
    }
    info->pFilter = &filter_;
    filter_.AddRef();
    info->dir = direction_;
    const std::size_t length = name_.size() < MAX_PIN_NAME - 1 ? name_.size() : MAX_PIN_NAME - 1;
    std::wmemcpy(info->achName, name_.c_str(), length);
    info->achName[length] = L'\0';
    return S_OK;
}

STDMETHODIMP PinBase::QueryDirection(PIN_DIRECTION* direction) {
    if (direction == nullptr) {
        return E_POINTER;
    }
    *direction = direction_;
    return S_OK;
}

STDMETHODIMP PinBase::QueryId(LPWSTR* id) {
    if (id == nullptr) {
        return E_POINTER;
    }
    const std::size_t bytes = (name_.size() + 1) * sizeof(wchar_t);
    *id = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (*id == nullptr) {
        return E_OUTOFMEMORY;
    }
    std::wmemcpy(*id, name_.c_str(), name_.size() + 1);
    return S_OK;
}

STDMETHODIMP PinBase::QueryAccept(const AM_MEDIA_TYPE* type) {
    if (type == nullptr) {
        return E_POINTER;
    }
    Locked lock(filter_.controlLock());
    return acceptsType(*type) ? S_OK : S_FALSE;
}

STDMETHODIMP PinBase::EnumMediaTypes(IEnumMediaTypes** types) {
    if (types == nullptr) {
        return E_POINTER;
    }
    *types = nullptr;
    std::vector<MediaType> offered;
    Locked lock(filter_.controlLock());
    const HRESULT hr = offeredTypes(offered);
    if (FAILED(hr)) {
        return hr;
    }
    return createMediaTypeEnumerator(offered, types);
}

STDMETHODIMP PinBase::QueryInternalConnections(IPin**, ULONG*) {
    return E_NOTIMPL;
}

STDMETHODIMP PinBase::NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) {
    return S_OK;
}

} // namespace filterbase
