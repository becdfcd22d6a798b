// An output pin of the camera: offers the camera's formats, and on the
// capture pin IAMStreamConfig (unless the camera is configured without it)
// and IAMDroppedFrames.
#pragma once

#include "filterbase/output_pin.h"

#include <windows.h>
#include <strmif.h>

namespace vcxcam {

class CameraFilter;

class CameraPin final : public filterbase::OutputPin,
                        public IAMStreamConfig,
                        public IAMDroppedFrames {
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

    // IAMDroppedFrames (capture pin): the camera's fault counts since the
    // stream began.
    STDMETHODIMP GetNumDropped(long* dropped) override;
    STDMETHODIMP GetNumNotDropped(long* notDropped) override;
    STDMETHODIMP GetDroppedInfo(long size, long* frames, long* copied) override;
    STDMETHODIMP GetAverageFrameSize(long* averageSize) override;

  protected:
    HRESULT offeredTypes(std::vector<filterbase::MediaType>& types) override;
    bool acceptsType(const AM_MEDIA_TYPE& type) override;
    long sampleBytes(const AM_MEDIA_TYPE& type) override;
    HRESULT queryExtraInterface(REFIID iid, void** out) override;

  private:
    CameraFilter& camera_;
    const bool streamConfig_;
    const bool capture_;
};

} // namespace vcxcam
