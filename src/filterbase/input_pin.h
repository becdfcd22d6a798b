// An input pin: takes the connection an upstream output pin offers when the
// filter kind accepts its type, keeps the allocator it is told of (it has
// none of its own: the upstream pin brings one), and hands samples and the
// end of the stream to the filter kind. While flushing, samples are refused.
#pragma once

#include "filterbase/pin_base.h"

#include <windows.h>
#include <strmif.h>

#include <string>
#include <vector>

namespace filterbase {

class InputPin : public PinBase, public IMemInputPin {
  public:
    InputPin(FilterBase& filter, std::wstring name);
    ~InputPin() override;

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

    // IMemInputPin
    STDMETHODIMP GetAllocator(IMemAllocator** allocator) override;
    STDMETHODIMP NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) override;
    STDMETHODIMP GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) override;
    STDMETHODIMP Receive(IMediaSample* sample) override;
    STDMETHODIMP ReceiveMultiple(IMediaSample** samples, long count, long* processed) override;
    STDMETHODIMP ReceiveCanBlock() override;

  protected:
    // An input pin offers no types of its own.
    HRESULT offeredTypes(std::vector<MediaType>& types) override;
    // One sample, on the upstream filter's streaming thread; S_OK asks for more.
    virtual HRESULT receive(IMediaSample* sample) = 0;
    // The end of the stream, on the streaming thread.
    virtual HRESULT endOfStream() { return S_OK; }
    // A flush beginning (after the pin started refusing samples) and ending
    // (before it takes them again); a filter that passes samples on passes
    // these on too.
    virtual HRESULT beginFlush() { return S_OK; }
    virtual HRESULT endFlush() { return S_OK; }

    void releaseConnection() override;

  private:
    IMemAllocator* allocator_ = nullptr;
    LONG flushing_ = 0;
};

} // namespace filterbase
