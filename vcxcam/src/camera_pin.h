// An output pin of the camera: offers the camera's formats, and on the
// capture pin IAMStreamConfig (unless the camera is configured without it).
#pragma once

#include "filterbase/output_pin.h"

#include <windows.h>
#include <strmif.h>

namespace vcxcam {

class CameraFilter;

class CameraPin final : public filterbase::OutputPin, public IAMStreamConfig {
  public:
    CameraPin(CameraFilter& camera, const wchar_t* name, const GUID& category, bool streamConfig);

    // IUnknown, shared with OutputPin
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IAMStreamConfig
    STDMETHODIMP SetFormat(AM_MEDIA_TYPE* type) override;
    STDMETHODIMP GetFormat(AM_MEDIA_TYPE** type) override;
    STDMETHODIMP GetNumberOfCapabilities(int* count, int* size) override;
    STDMETHODIMP GetStreamCaps(int index, AM_MEDIA_TYPE** type, BYTE* caps) override;

  protected:
    HRESULT offeredTypes(std::vector<filterbase::MediaType>& types) override;
    bool acceptsType(const AM_MEDIA_TYPE& type) override;
    long sampleBytes(const AM_MEDIA_TYPE& type) override;
    HRESULT queryExtraInterface(REFIID iid, void** out) override;

  private:
    CameraFilter& camera_;
    const bool streamConfig_;
};

} // namespace vcxcam
