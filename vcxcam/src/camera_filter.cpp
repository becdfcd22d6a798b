#include "camera_filter.h"

#include "camera_pin.h"
#include "ids.h"
#include "subtype.h"
#include "video_type.h"

#include "core/com_ptr.h"

#include <vfwmsgs.h>
#include <uuids.h>

#include <new>

namespace vcxcam {

HRESULT CameraFilter::create(int index, REFIID iid, void** out) {
    return filterbase::createFilter([index] { return new CameraFilter(readCameraConfig(index)); },
                                    iid, out);
}

CameraFilter::CameraFilter(CameraConfig config)
    : filterbase::FilterBase(cameraClsid(config.index)), config_(std::move(config)),
      controls_(config_), faults_(config_), stream_(&controls_, &faults_) {
    pins_.push_back(std::make_unique<CameraPin>(*this, L"Capture", PIN_CATEGORY_CAPTURE,
                                                !config_.noStreamConfig));
    if (config_.previewPin) {
        pins_.push_back(
            std::make_unique<CameraPin>(*this, L"Preview", PIN_CATEGORY_PREVIEW, false));
    }
}

CameraFilter::~CameraFilter() {
    Stop();
}

STDMETHODIMP CameraFilter::QueryInterface(REFIID iid, void** out) {
    return filterbase::FilterBase::QueryInterface(iid, out);
}

STDMETHODIMP_(ULONG) CameraFilter::AddRef() {
    return filterbase::FilterBase::AddRef();
}

STDMETHODIMP_(ULONG) CameraFilter::Release() {
    return filterbase::FilterBase::Release();
}

HRESULT CameraFilter::queryExtraInterface(REFIID iid, void** out) {
    if (iid == kIidStreamStats) {
        *out = static_cast<IStreamStats*>(this);
    } else if (iid == IID_IAMVideoProcAmp &&
               controls_.offers(vcx::PropertyInterface::kVideoProcAmp)) {
        *out = static_cast<IAMVideoProcAmp*>(this);
    } else if (iid == IID_IAMCameraControl &&
               controls_.offers(vcx::PropertyInterface::kCameraControl)) {
        *out = static_cast<IAMCameraControl*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP CameraFilter::GetStreamStats(StreamStats* stats) {
    if (stats == nullptr) {
        return E_POINTER;
    }
    *stats = stream_.stats();
    return S_OK;
}

ULONG CameraFilter::miscFlags() const {
    return AM_FILTER_MISC_FLAGS_IS_SOURCE;
}

ULONG CameraFilter::pinCount() const {
    return static_cast<ULONG>(pins_.size());
}

IPin* CameraFilter::pinAt(ULONG index) const {
    return index < pins_.size() ? static_cast<IPin*>(pins_[index].get()) : nullptr;
}

std::vector<Capability> CameraFilter::offeredFormats() const {
    if (chosen_) {
        return {stated(*chosen_)};
    }
    std::vector<Capability> formats;
    for (const Capability& cap : config_.formats) {
        formats.push_back(stated(cap));
    }
    return formats;
}

Capability CameraFilter::stated(const Capability& cap) const {
    Capability format = cap;
    if (config_.zeroFrameInterval) {
        format.frameInterval = 0;
    }
    return format;
}

REFERENCE_TIME CameraFilter::configuredInterval(const Capability& format) const {
    for (const Capability& cap : config_.formats) {
        if (stated(cap) == stated(format)) {
            return cap.frameInterval;
        }
    }
    return 0;
}

bool CameraFilter::acceptsType(const AM_MEDIA_TYPE& type) const {
    DWORD imageSize = 0;
    const std::optional<Capability> format = readVideoType(type, &imageSize);
    if (!format || (imageSize != 0 &&
                    imageSize != frameBytes(format->subtype, format->width, format->height))) {
        return false;
    }
    if (chosen_) {
        return stated(*chosen_) == *format;
    }
    for (const Capability& offered : config_.formats) {
        if (stated(offered) == *format) {
            return true;
        }
    }
    return false;
}

bool CameraFilter::hasCapabilitySize(const Capability& cap) const {
    for (const Capability& configured : config_.formats) {
        if (configured.width == cap.width && configured.height == cap.height &&
            configured.subtype == cap.subtype && (configured.videoInfo2 || !cap.videoInfo2)) {
            return true;
        }
    }
    return false;
}

HRESULT CameraFilter::setFormat(const AM_MEDIA_TYPE* type) {
    if (type == nullptr) {
        return E_POINTER;
    }
    if (config_.refuseFormats) {
        return VFW_E_INVALIDMEDIATYPE;
    }
    std::optional<Capability> format = readVideoType(*type);
    if (!format || !hasCapabilitySize(*format)) {
        return VFW_E_INVALIDMEDIATYPE;
    }
    // A camera that states no rate takes none, streaming at its capability's.
    if (format->frameInterval == 0 && config_.zeroFrameInterval) {
        format->frameInterval = configuredInterval(*format);
    }
    if (format->frameInterval <= 0) {
        return VFW_E_INVALIDMEDIATYPE;
    }
    // The type as this camera writes it: sample and image sizes are ours.
    filterbase::MediaType chosenType;
    HRESULT hr = makeVideoType(stated(*format), chosenType);
    if (FAILED(hr)) {
        return hr;
    }
    // At most one of each pin.
    IPin* connected[2] = {};
    std::size_t connectedCount = 0;
    vcx::ComPtr<IFilterGraph> graphRef;
    {
        filterbase::Locked lock(controlLock());
        if (state() != State_Stopped) {
            return VFW_E_NOT_STOPPED;
        }
        for (const auto& pin : pins_) {
            if (pin->isConnected()) {
                if (pin->peer()->QueryAccept(&chosenType.get()) != S_OK) {
                    return VFW_E_INVALIDMEDIATYPE;
                }
                connected[connectedCount++] = pin.get();
            }
        }
        if (connectedCount != 0) {
            if (graph() == nullptr) {
                return VFW_E_NOT_IN_GRAPH;
            }
            graph()->AddRef();
            *graphRef.put() = graph();
        }
        chosen_ = *format;
    }
    // Connected pins move to the new format through the graph, outside the
    // lock: the graph disconnects and reconnects them.
    for (std::size_t i = 0; i < connectedCount; ++i) {
        hr = graphRef->Reconnect(connected[i]);
        if (FAILED(hr)) {
            return hr;
        }
    }
    return S_OK;
}

HRESULT CameraFilter::getFormat(AM_MEDIA_TYPE** type) {
    if (type == nullptr) {
        return E_POINTER;
    }
    *type = nullptr;
    filterbase::Locked lock(controlLock());
    const CameraPin& capture = *pins_.front();
    if (capture.isConnected()) {
        *type = filterbase::createMediaTypeCopy(capture.connectionType());
        return *type != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    filterbase::MediaType current;
    const HRESULT hr = makeVideoType(stated(chosen_ ? *chosen_ : config_.formats.front()), current);
    if (FAILED(hr)) {
        return hr;
    }
    *type = filterbase::createMediaTypeCopy(current.get());
    return *type != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT CameraFilter::activate() {
    std::vector<filterbase::OutputPin*> pins;
    for (const auto& pin : pins_) {
        const HRESULT hr = pin->commitAllocator();
        if (FAILED(hr)) {
            return hr;
        }
        pins.push_back(pin.get());
    }
    // A lost device is told to the graph's event sink, which outlives the
    // stream: no reference is kept.
    vcx::ComPtr<IMediaEventSink> events;
    if (graph() != nullptr) {
        graph()->QueryInterface(IID_IMediaEventSink, events.putVoid());
    }
    faults_.begin(events.get(), static_cast<IBaseFilter*>(this));
    // The rate a type without one streams at: the chosen or configured capability's.
    REFERENCE_TIME unstated = 0;
    for (const auto& pin : pins_) {
        const std::optional<Capability> format =
            pin->isConnected() ? readVideoType(pin->connectionType()) : std::nullopt;
        if (format) {
            unstated = chosen_ ? chosen_->frameInterval : configuredInterval(*format);
            break;
        }
    }
    return stream_.start(pins, config_.startupDelayMs, unstated);
}

void CameraFilter::run(REFERENCE_TIME start) {
    vcx::ComPtr<IReferenceClock> clock;
    *clock.put() = clockRef();
    stream_.run(start, clock.get());
}

void CameraFilter::pauseRunning() {
    stream_.pause();
}

void CameraFilter::deactivate() {
    // Decommitting first releases a streaming thread waiting for a buffer.
    for (const auto& pin : pins_) {
        pin->decommitAllocator();
    }
    stream_.stop();
}

} // namespace vcxcam
