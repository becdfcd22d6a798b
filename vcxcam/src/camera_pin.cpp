#include "camera_pin.h"

#include "camera_filter.h"
#include "subtype.h"
#include "video_type.h"

#include <uuids.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace vcxcam {

namespace {

// Fills the capabilities block GetStreamCaps reports for cap: one fixed size
// at the configured frame interval.
void describeCapability(const Capability& cap, const filterbase::MediaType& type,
                        VIDEO_STREAM_CONFIG_CAPS& out) {
    out = VIDEO_STREAM_CONFIG_CAPS{};
    out.guid = type->formattype;
    out.VideoStandard = 0;
    const SIZE size{cap.width, std::abs(cap.height)};
    out.InputSize = size;
    out.MinCroppingSize = size;
    out.MaxCroppingSize = size;
    out.CropGranularityX = 1;
    out.CropGranularityY = 1;
    out.CropAlignX = 1;
    out.CropAlignY = 1;
    out.MinOutputSize = size;
    out.MaxOutputSize = size;
    out.MinFrameInterval = cap.frameInterval;
    out.MaxFrameInterval = cap.frameInterval;
    const double bits = static_cast<double>(frameBytes(cap.subtype, cap.width, cap.height)) * 8.0 *
                        1e7 / static_cast<double>(cap.frameInterval);
    const LONG bitsPerSecond = bits >= 2147483647.0 ? 2147483647 : static_cast<LONG>(bits);
    out.MinBitsPerSecond = bitsPerSecond;
    out.MaxBitsPerSecond = bitsPerSecond;
}

} // namespace

CameraPin::CameraPin(CameraFilter& camera, const wchar_t* name, const GUID& category,
                     bool streamConfig)
    : filterbase::OutputPin(camera, name, category), camera_(camera), streamConfig_(streamConfig),
      capture_(category == PIN_CATEGORY_CAPTURE) {}

STDMETHODIMP CameraPin::QueryInterface(REFIID iid, void** out) {
    return filterbase::OutputPin::QueryInterface(iid, out);
}

STDMETHODIMP_(ULONG) CameraPin::AddRef() {
    return filterbase::OutputPin::AddRef();
}

STDMETHODIMP_(ULONG) CameraPin::Release() {
    return filterbase::OutputPin::Release();
}

HRESULT CameraPin::queryExtraInterface(REFIID iid, void** out) {
    if (streamConfig_ && iid == IID_IAMStreamConfig) {
        *out = static_cast<IAMStreamConfig*>(this);
        AddRef();
        return S_OK;
    }
    if (capture_ && iid == IID_IAMDroppedFrames) {
        *out = static_cast<IAMDroppedFrames*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT CameraPin::offeredTypes(std::vector<filterbase::MediaType>& types) {
    try {
        const std::vector<Capability> formats = camera_.offeredFormats();
        types.clear();
        types.resize(formats.size());
        for (std::size_t i = 0; i < formats.size(); ++i) {
            const HRESULT hr = makeVideoType(formats[i], types[i]);
            if (FAILED(hr)) {
                return hr;
            }
        }
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

bool CameraPin::acceptsType(const AM_MEDIA_TYPE& type) {
    return camera_.acceptsType(type);
}

long CameraPin::sampleBytes(const AM_MEDIA_TYPE& type) {
    return videoSampleBytes(type);
}

STDMETHODIMP CameraPin::SetFormat(AM_MEDIA_TYPE* type) {
    return camera_.setFormat(type);
}

STDMETHODIMP CameraPin::GetFormat(AM_MEDIA_TYPE** type) {
    return camera_.getFormat(type);
}

STDMETHODIMP CameraPin::GetNumberOfCapabilities(int* count, int* size) {
    if (count == nullptr || size == nullptr) {
        return E_POINTER;
    }
    *count = static_cast<int>(camera_.config().formats.size());
    *size = sizeof(VIDEO_STREAM_CONFIG_CAPS);
    return S_OK;
}

STDMETHODIMP CameraPin::GetStreamCaps(int index, AM_MEDIA_TYPE** type, BYTE* caps) {
    if (type == nullptr || caps == nullptr) {
        return E_POINTER;
    }
    *type = nullptr;
    const std::vector<Capability>& formats = camera_.config().formats;
    if (index < 0) {
        return E_INVALIDARG;
    }
    if (static_cast<std::size_t>(index) >= formats.size()) {
        return S_FALSE;
    }
    const Capability& cap = formats[static_cast<std::size_t>(index)];
    filterbase::MediaType media;
    const HRESULT hr = makeVideoType(camera_.stated(cap), media);
    if (FAILED(hr)) {
        return hr;
    }
    *type = filterbase::createMediaTypeCopy(media.get());
    if (*type == nullptr) {
        return E_OUTOFMEMORY;
    }
    VIDEO_STREAM_CONFIG_CAPS description;
    describeCapability(cap, media, description);
    std::memcpy(caps, &description, sizeof(description));
    return S_OK;
}

STDMETHODIMP CameraPin::GetNumDropped(long* dropped) {
    if (dropped == nullptr) {
        return E_POINTER;
    }
    *dropped = camera_.faults().dropped();
    return S_OK;
}

STDMETHODIMP CameraPin::GetNumNotDropped(long* notDropped) {
    if (notDropped == nullptr) {
        return E_POINTER;
    }
    *notDropped = camera_.faults().delivered();
    return S_OK;
}

STDMETHODIMP CameraPin::GetDroppedInfo(long size, long* frames, long* copied) {
    if (frames == nullptr || copied == nullptr) {
        return E_POINTER;
    }
    if (size < 0) {
        return E_INVALIDARG;
    }
    const CameraFaults& faults = camera_.faults();
    const long count = std::min(size, faults.dropped());
    for (long index = 0; index < count; ++index) {
        frames[index] = faults.droppedFrame(index);
    }
    *copied = count;
    return S_OK;
}

STDMETHODIMP CameraPin::GetAverageFrameSize(long* averageSize) {
    if (averageSize == nullptr) {
        return E_POINTER;
    }
    *averageSize = isConnected() ? sampleBytes(connectionType()) : 0;
    return S_OK;
}

} // namespace vcxcam
