// An output pin of a vcxcam filter: connection and media type negotiation,
// allocator negotiation, and its category through IKsPropertySet on the pin
// object itself. The pin is part of its filter and shares its reference
// count; a filter kind says which types the pin offers and accepts.
#pragma once

#include "media_type.h"

#include <windows.h>
#include <strmif.h>

#include <string>
#include <vector>

namespace vcxcam {

class FilterBase;

class OutputPin : public IPin, public IKsPropertySet {
  public:
    OutputPin(FilterBase& filter, std::wstring name, const GUID& category);
    OutputPin(const OutputPin&) = delete;
    OutputPin& operator=(const OutputPin&) = delete;
    virtual ~OutputPin();

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPin
    STDMETHODIMP Connect(IPin* receivePin, const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin** pin) override;
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* type) override;
    STDMETHODIMP QueryPinInfo(PIN_INFO* info) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION* direction) override;
    STDMETHODIMP QueryId(LPWSTR* id) override;
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** types) override;
    STDMETHODIMP QueryInternalConnections(IPin** pins, ULONG* count) override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;
    STDMETHODIMP NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    // IKsPropertySet: AMPROPSETID_Pin / AMPROPERTY_PIN_CATEGORY, read only.
    STDMETHODIMP Set(REFGUID set, DWORD id, void* instance, DWORD instanceBytes, void* data,
                     DWORD dataBytes) override;
    STDMETHODIMP Get(REFGUID set, DWORD id, void* instance, DWORD instanceBytes, void* data,
                     DWORD dataBytes, DWORD* returnedBytes) override;
    STDMETHODIMP QuerySupported(REFGUID set, DWORD id, DWORD* support) override;

    // What the filter reads; the connection fields change only while the
    // filter is stopped, so a streaming thread may read them unlocked.
    bool isConnected() const { return peer_ != nullptr; }
    IPin* peer() const { return peer_; }
    const AM_MEDIA_TYPE& connectionType() const { return type_.get(); }
    IMemAllocator* allocator() const { return allocator_; }
    IMemInputPin* inputPin() const { return input_; }

    // Commits / decommits the allocator of a connected pin.
    HRESULT commitAllocator();
    void decommitAllocator();

  protected:
    // Types the pin offers, in order of preference.
    virtual HRESULT offeredTypes(std::vector<MediaType>& types) = 0;
    // Whether the pin can stream type exactly.
    virtual bool acceptsType(const AM_MEDIA_TYPE& type) = 0;
    // Bytes one sample of type needs.
    virtual long sampleBytes(const AM_MEDIA_TYPE& type) = 0;
    // Interfaces a pin kind adds to the pin's identity.
    virtual HRESULT queryExtraInterface(REFIID /*iid*/, void** /*out*/) { return E_NOINTERFACE; }

    FilterBase& filter() { return filter_; }

  private:
    HRESULT attemptConnection(IPin* receivePin, const AM_MEDIA_TYPE& type);
    HRESULT decideAllocator(IMemInputPin* input, const AM_MEDIA_TYPE& type);
    void clearConnection();

    FilterBase& filter_;
    const std::wstring name_;
    const GUID category_;
    IPin* peer_ = nullptr;
    IMemInputPin* input_ = nullptr;
    IMemAllocator* allocator_ = nullptr;
    MediaType type_;
};

} // namespace vcxcam
