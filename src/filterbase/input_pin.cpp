#include "filterbase/input_pin.h"

#include "filterbase/filter_base.h"

#include <vfwmsgs.h>

namespace filterbase {

InputPin::InputPin(FilterBase& filter, std::wstring name)
    : PinBase(filter, std::move(name), PINDIR_INPUT) {}

InputPin::~InputPin() {
    releaseConnection();
}

STDMETHODIMP InputPin::QueryInterface(REFIID iid, void** out) {
    if (out != nullptr && iid == IID_IMemInputPin) {
        *out = static_cast<IMemInputPin*>(this);
        AddRef();
        return S_OK;
    }
    return PinBase::QueryInterface(iid, out);
}

STDMETHODIMP_(ULONG) InputPin::AddRef() {
    return PinBase::AddRef();
}

STDMETHODIMP_(ULONG) InputPin::Release() {
    return PinBase::Release();
}

STDMETHODIMP InputPin::Connect(IPin*, const AM_MEDIA_TYPE*) {
    // Output pins make connections; an input pin only receives them.
    return E_UNEXPECTED;
}

STDMETHODIMP InputPin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) {
    if (connector == nullptr || type == nullptr) {
        return E_POINTER;
    }
    Locked lock(filter().controlLock());
    if (isConnected()) {
        return VFW_E_ALREADY_CONNECTED;
    }
    if (filter().state() != State_Stopped) {
        return VFW_E_NOT_STOPPED;
    }
    PIN_DIRECTION direction = PINDIR_INPUT;
    if (FAILED(connector->QueryDirection(&direction)) || direction != PINDIR_OUTPUT) {
        return VFW_E_INVALID_DIRECTION;
    }
    if (!acceptsType(*type)) {
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    return setConnection(connector, *type) ? S_OK : E_OUTOFMEMORY;
}

void InputPin::releaseConnection() {
    if (allocator_ != nullptr) {
        allocator_->Release();
        allocator_ = nullptr;
    }
}

STDMETHODIMP InputPin::EndOfStream() {
    if (InterlockedCompareExchange(&flushing_, 0, 0) != 0) {
        return S_FALSE;
    }
    return endOfStream();
}

STDMETHODIMP InputPin::BeginFlush() {
    InterlockedExchange(&flushing_, 1);
    return beginFlush();
}

STDMETHODIMP InputPin::EndFlush() {
    const HRESULT hr = endFlush();
    InterlockedExchange(&flushing_, 0);
    return hr;
}

STDMETHODIMP InputPin::GetAllocator(IMemAllocator** allocator) {
    if (allocator == nullptr) {
        return E_POINTER;
    }
    *allocator = nullptr;
    return VFW_E_NO_ALLOCATOR;
}

STDMETHODIMP InputPin::NotifyAllocator(IMemAllocator* allocator, BOOL) {
    if (allocator == nullptr) {
        return E_POINTER;
    }
    Locked lock(filter().controlLock());
    allocator->AddRef();
    if (allocator_ != nullptr) {
        allocator_->Release();
    }
    allocator_ = allocator;
    return S_OK;
}

STDMETHODIMP InputPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES*) {
    return E_NOTIMPL;
}

STDMETHODIMP InputPin::Receive(IMediaSample* sample) {
    if (sample == nullptr) {
        return E_POINTER;
    }
    if (InterlockedCompareExchange(&flushing_, 0, 0) != 0) {
        return S_FALSE;
    }
    return receive(sample);
}

STDMETHODIMP InputPin::ReceiveMultiple(IMediaSample** samples, long count, long* processed) {
    if (samples == nullptr || processed == nullptr) {
        return E_POINTER;
    }
    *processed = 0;
    HRESULT hr = S_OK;
    while (*processed < count && hr == S_OK) {
        hr = Receive(samples[*processed]);
        if (hr == S_OK) {
            ++*processed;
        }
    }
    return hr;
}

STDMETHODIMP InputPin::ReceiveCanBlock() {
    return S_OK;
}

HRESULT InputPin::offeredTypes(std::vector<MediaType>& types) {
    types.clear();
    return S_OK;
}

} // namespace filterbase
