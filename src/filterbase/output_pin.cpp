#include "filterbase/output_pin.h"

#include "filterbase/filter_base.h"

#include "core/com_ptr.h"

#include <vfwmsgs.h>
#include <uuids.h>

namespace filterbase {

namespace {

// Buffers asked of an allocator: the frame being filled, the one downstream
// holds, and the copies a Smart Tee makes from the same pool.
constexpr long kBufferCount = 4;

// A type with a major type, subtype and format type names one type; anything
// less is a pattern to match the offered types against.
bool isCompleteType(const AM_MEDIA_TYPE& type) {
    return type.majortype != GUID_NULL && type.subtype != GUID_NULL && type.formattype != GUID_NULL;
}

bool matchesPattern(const AM_MEDIA_TYPE* pattern, const AM_MEDIA_TYPE& type) {
    if (pattern == nullptr) {
        return true;
    }
    return (pattern->majortype == GUID_NULL || pattern->majortype == type.majortype) &&
           (pattern->subtype == GUID_NULL || pattern->subtype == type.subtype) &&
           (pattern->formattype == GUID_NULL || pattern->formattype == type.formattype);
}

} // namespace

OutputPin::OutputPin(FilterBase& filter, std::wstring name, const GUID& category)
    : PinBase(filter, std::move(name), PINDIR_OUTPUT), category_(category) {}

OutputPin::~OutputPin() {
    releaseConnection();
}

STDMETHODIMP OutputPin::QueryInterface(REFIID iid, void** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    if (iid == IID_IKsPropertySet) {
        *out = static_cast<IKsPropertySet*>(this);
        AddRef();
        return S_OK;
    }
    return PinBase::QueryInterface(iid, out);
}

STDMETHODIMP_(ULONG) OutputPin::AddRef() {
    return PinBase::AddRef();
}

STDMETHODIMP_(ULONG) OutputPin::Release() {
    return PinBase::Release();
}

STDMETHODIMP OutputPin::Connect(IPin* receivePin, const AM_MEDIA_TYPE* type) {
    if (receivePin == nullptr) {
        return E_POINTER;
    }
    Locked lock(filter().controlLock());
    if (isConnected()) {
        return VFW_E_ALREADY_CONNECTED;
    }
    if (filter().state() != State_Stopped) {
        return VFW_E_NOT_STOPPED;
    }
    PIN_DIRECTION direction = PINDIR_OUTPUT;
    if (FAILED(receivePin->QueryDirection(&direction)) || direction != PINDIR_INPUT) {
        return VFW_E_INVALID_DIRECTION;
    }
    if (type != nullptr && isCompleteType(*type)) {
        if (!acceptsType(*type)) {
            return VFW_E_TYPE_NOT_ACCEPTED;
        }
        return attemptConnection(receivePin, *type);
    }
    std::vector<MediaType> types;
    const HRESULT hr = offeredTypes(types);
    if (FAILED(hr)) {
        return hr;
    }
    for (const MediaType& candidate : types) {
        if (matchesPattern(type, candidate.get()) &&
            SUCCEEDED(attemptConnection(receivePin, candidate.get()))) {
            return S_OK;
        }
    }
    return VFW_E_NO_ACCEPTABLE_TYPES;
}

HRESULT OutputPin::attemptConnection(IPin* receivePin, const AM_MEDIA_TYPE& type) {
    // The pin counts as connected while the peer examines it.
    if (!setConnection(receivePin, type)) {
        return E_OUTOFMEMORY;
    }
    HRESULT hr = receivePin->ReceiveConnection(this, &type);
    if (FAILED(hr)) {
        releaseConnection();
        clearPeer();
        return hr;
    }
    hr = receivePin->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&input_));
    if (SUCCEEDED(hr)) {
        hr = decideAllocator(input_, type);
    }
    if (FAILED(hr)) {
        receivePin->Disconnect();
        releaseConnection();
        clearPeer();
        return hr;
    }
    return S_OK;
}

HRESULT OutputPin::decideAllocator(IMemInputPin* input, const AM_MEDIA_TYPE& type) {
    ALLOCATOR_PROPERTIES required{};
    if (FAILED(input->GetAllocatorRequirements(&required))) {
        required = ALLOCATOR_PROPERTIES{};
    }
    ALLOCATOR_PROPERTIES request{};
    request.cBuffers = required.cBuffers > kBufferCount ? required.cBuffers : kBufferCount;
    request.cbBuffer =
        required.cbBuffer > sampleBytes(type) ? required.cbBuffer : sampleBytes(type);
    request.cbAlign = required.cbAlign > 1 ? required.cbAlign : 1;
    request.cbPrefix = required.cbPrefix;

    const auto tryAllocator = [&](IMemAllocator* allocator) {
        ALLOCATOR_PROPERTIES actual{};
        HRESULT hr = allocator->SetProperties(&request, &actual);
        if (SUCCEEDED(hr) && (actual.cbBuffer < sampleBytes(type) || actual.cBuffers < 1)) {
            hr = VFW_E_SIZENOTSET;
        }
        if (SUCCEEDED(hr)) {
            hr = input->NotifyAllocator(allocator, FALSE);
        }
        return hr;
    };

    // The downstream pin's allocator first; when it has none, or it cannot
    // hold our samples, one of our own.
    vcx::ComPtr<IMemAllocator> allocator;
    HRESULT hr = input->GetAllocator(allocator.put());
    if (SUCCEEDED(hr) && allocator) {
        hr = tryAllocator(allocator.get());
    } else if (SUCCEEDED(hr)) {
        hr = E_POINTER;
    }
    if (FAILED(hr)) {
        hr = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IMemAllocator, allocator.putVoid());
        if (SUCCEEDED(hr)) {
            hr = tryAllocator(allocator.get());
        }
    }
    if (SUCCEEDED(hr)) {
        allocator_ = allocator.detach();
    }
    return hr;
}

void OutputPin::releaseConnection() {
    if (allocator_ != nullptr) {
        allocator_->Release();
        allocator_ = nullptr;
    }
    if (input_ != nullptr) {
        input_->Release();
        input_ = nullptr;
    }
}

STDMETHODIMP OutputPin::ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) {
    // Only an input pin receives connections.
    return E_UNEXPECTED;
}

STDMETHODIMP OutputPin::EndOfStream() {
    return E_UNEXPECTED;
}

STDMETHODIMP OutputPin::BeginFlush() {
    return E_UNEXPECTED;
}

STDMETHODIMP OutputPin::EndFlush() {
    return E_UNEXPECTED;
}

STDMETHODIMP OutputPin::Set(REFGUID set, DWORD id, void*, DWORD, void*, DWORD) {
    if (set != AMPROPSETID_Pin) {
        return E_PROP_SET_UNSUPPORTED;
    }
    return id == AMPROPERTY_PIN_CATEGORY ? E_NOTIMPL : E_PROP_ID_UNSUPPORTED;
}

STDMETHODIMP OutputPin::Get(REFGUID set, DWORD id, void*, DWORD, void* data, DWORD dataBytes,
                            DWORD* returnedBytes) {
    if (set != AMPROPSETID_Pin) {
        return E_PROP_SET_UNSUPPORTED;
    }
    if (id != AMPROPERTY_PIN_CATEGORY) {
        return E_PROP_ID_UNSUPPORTED;
    }
    if (data == nullptr && returnedBytes == nullptr) {
        return E_POINTER;
    }
    if (returnedBytes != nullptr) {
        *returnedBytes = sizeof(GUID);
    }
    if (data == nullptr) {
        return S_OK;
    }
    if (dataBytes < sizeof(GUID)) {
        return E_UNEXPECTED;
    }
    *static_cast<GUID*>(data) = category_;
    return S_OK;
}

STDMETHODIMP OutputPin::QuerySupported(REFGUID set, DWORD id, DWORD* support) {
    if (set != AMPROPSETID_Pin) {
        return E_PROP_SET_UNSUPPORTED;
    }
    if (id != AMPROPERTY_PIN_CATEGORY) {
        return E_PROP_ID_UNSUPPORTED;
    }
    if (support != nullptr) {
        *support = KSPROPERTY_SUPPORT_GET;
    }
    return S_OK;
}

HRESULT OutputPin::commitAllocator() {
    return allocator_ != nullptr ? allocator_->Commit() : S_OK;
}

void OutputPin::decommitAllocator() {
    if (allocator_ != nullptr) {
        allocator_->Decommit();
    }
}

} // namespace filterbase
