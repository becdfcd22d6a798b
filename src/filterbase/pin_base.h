// What input and output pins share: identity within their filter (the pin is
// part of the filter and shares its reference count), name and direction,
// the connected peer and media type, and the IPin queries about them. A pin
// kind says which types it offers and accepts.
#pragma once

#include "filterbase/media_type.h"

#include <windows.h>
#include <strmif.h>

#include <string>
#include <vector>

namespace filterbase {

class FilterBase;

class PinBase : public IPin {
  public:
    PinBase(const PinBase&) = delete;
    PinBase& operator=(const PinBase&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPin: disconnecting (only while the filter is stopped) and the queries
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin** pin) override;
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* type) override;
    STDMETHODIMP QueryPinInfo(PIN_INFO* info) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION* direction) override;
    STDMETHODIMP QueryId(LPWSTR* id) override;
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** types) override;
    STDMETHODIMP QueryInternalConnections(IPin** pins, ULONG* count) override;
    STDMETHODIMP NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    // What the filter reads; the connection changes only while the filter is
    // stopped, so a streaming thread may read it unlocked.
    bool isConnected() const { return peer_ != nullptr; }
    IPin* peer() const { return peer_; }
    const AM_MEDIA_TYPE& connectionType() const { return type_.get(); }

  protected:
    PinBase(FilterBase& filter, std::wstring name, PIN_DIRECTION direction);
    virtual ~PinBase();

    // Types the pin offers, in order of preference.
    virtual HRESULT offeredTypes(std::vector<MediaType>& types) = 0;
    // Whether the pin can stream type exactly.
    virtual bool acceptsType(const AM_MEDIA_TYPE& type) = 0;
    // Releases what a pin kind holds of its connection beyond the peer and
    // the type (allocator, peer interfaces); Disconnect and destruction call it.
    virtual void releaseConnection() {}
    // Interfaces a pin kind adds to the pin's identity.
    virtual HRESULT queryExtraInterface(REFIID /*iid*/, void** /*out*/) { return E_NOINTERFACE; }

    FilterBase& filter() { return filter_; }

    // Records the peer and the type of a new connection; false when out of memory.
    bool setConnection(IPin* peer, const AM_MEDIA_TYPE& type);
    // Forgets the peer and the type.
    void clearPeer();

  private:
    FilterBase& filter_;
    const std::wstring name_;
    const PIN_DIRECTION direction_;
    IPin* peer_ = nullptr;
    MediaType type_;
};

} // namespace filterbase
