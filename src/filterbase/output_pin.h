// An output pin: connection and media type negotiation,
// allocator negotiation, and its category through IKsPropertySet on the pin
// object itself. The pin is part of its filter and shares its reference
// count; a filter kind says which types the pin offers and accepts.
#pragma once

#include "filterbase/pin_base.h"

#include <windows.h>
#include <strmif.h>

#include <string>
#include <vector>

namespace filterbase {

class OutputPin : public PinBase, public IKsPropertySet {
  public:
    OutputPin(FilterBase& filter, std::wstring name, const GUID& category);
    ~OutputPin() override;

    // IUnknown, shared with PinBase
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPin, the connection and the stream
    STDMETHODIMP Connect(IPin* receivePin, const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;

    // IKsPropertySet: AMPROPSETID_Pin / AMPROPERTY_PIN_CATEGORY, read only.
    STDMETHODIMP Set(REFGUID set, DWORD id, void* instance, DWORD instanceBytes, void* data,
                     DWORD dataBytes) override;
    STDMETHODIMP Get(REFGUID set, DWORD id, void* instance, DWORD instanceBytes, void* data,
                     DWORD dataBytes, DWORD* returnedBytes) override;
    STDMETHODIMP QuerySupported(REFGUID set, DWORD id, DWORD* support) override;

    // What the filter reads while streaming (see PinBase::isConnected).
    IMemAllocator* allocator() const { return allocator_; }
    IMemInputPin* inputPin() const { return input_; }

    // Commits / decommits the allocator of a connected pin.
    HRESULT commitAllocator();
    void decommitAllocator();

  protected:
    // Bytes one sample of type needs.
    virtual long sampleBytes(const AM_MEDIA_TYPE& type) = 0;
    void releaseConnection() override;

  private:
    HRESULT attemptConnection(IPin* receivePin, const AM_MEDIA_TYPE& type);
    HRESULT decideAllocator(IMemInputPin* input, const AM_MEDIA_TYPE& type);

    const GUID category_;
    IMemInputPin* input_ = nullptr;
    IMemAllocator* allocator_ = nullptr;
};

} // namespace filterbase
