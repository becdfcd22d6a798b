#include "microphone_filter.h"

#include "ids.h"

#include "core/com_ptr.h"

#include <vfwmsgs.h>
#include <uuids.h>

#include <cstring>

namespace vcxcam {

// ---- the capture pin ----

MicrophonePin::MicrophonePin(MicrophoneFilter& microphone)
    : filterbase::OutputPin(microphone, L"Capture", PIN_CATEGORY_CAPTURE), microphone_(microphone) {
}

STDMETHODIMP MicrophonePin::QueryInterface(REFIID iid, void** out) {
    return filterbase::OutputPin::QueryInterface(iid, out);
}

STDMETHODIMP_(ULONG) MicrophonePin::AddRef() {
    return filterbase::OutputPin::AddRef();
}

STDMETHODIMP_(ULONG) MicrophonePin::Release() {
    return filterbase::OutputPin::Release();
}

HRESULT MicrophonePin::queryExtraInterface(REFIID iid, void** out) {
    if (iid == IID_IAMStreamConfig && !microphone_.config().noStreamConfig) {
        *out = static_cast<IAMStreamConfig*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT MicrophonePin::offeredTypes(std::vector<filterbase::MediaType>& types) {
    try {
        const std::vector<AudioFormat> formats = microphone_.offeredFormats();
        types.clear();
        types.resize(formats.size());
        for (std::size_t i = 0; i < formats.size(); ++i) {
            const HRESULT hr = makeAudioType(formats[i], types[i]);
            if (FAILED(hr)) {
                return hr;
            }
        }
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

bool MicrophonePin::acceptsType(const AM_MEDIA_TYPE& type) {
    return microphone_.acceptsType(type);
}

long MicrophonePin::sampleBytes(const AM_MEDIA_TYPE& type) {
    const std::optional<AudioFormat> format = readAudioType(type);
    return format ? static_cast<long>(maxBufferFrames(*format) * format->blockAlign()) : 0;
}

STDMETHODIMP MicrophonePin::SetFormat(AM_MEDIA_TYPE* type) {
    return microphone_.setFormat(type);
}

STDMETHODIMP MicrophonePin::GetFormat(AM_MEDIA_TYPE** type) {
    return microphone_.getFormat(type);
}

STDMETHODIMP MicrophonePin::GetNumberOfCapabilities(int* count, int* size) {
    if (count == nullptr || size == nullptr) {
        return E_POINTER;
    }
    *count = static_cast<int>(microphone_.config().formats.size());
    *size = sizeof(AUDIO_STREAM_CONFIG_CAPS);
    return S_OK;
}

STDMETHODIMP MicrophonePin::GetStreamCaps(int index, AM_MEDIA_TYPE** type, BYTE* caps) {
    if (type == nullptr || caps == nullptr) {
        return E_POINTER;
    }
    *type = nullptr;
    const std::vector<AudioFormat>& formats = microphone_.config().formats;
    if (index < 0) {
        return E_INVALIDARG;
    }
    if (static_cast<std::size_t>(index) >= formats.size()) {
        return S_FALSE;
    }
    const AudioFormat& format = formats[static_cast<std::size_t>(index)];
    filterbase::MediaType media;
    const HRESULT hr = makeAudioType(format, media);
    if (FAILED(hr)) {
        return hr;
    }
    *type = filterbase::createMediaTypeCopy(media.get());
    if (*type == nullptr) {
        return E_OUTOFMEMORY;
    }
    // One format per capability: every range is a single value.
    AUDIO_STREAM_CONFIG_CAPS description{};
    description.guid = MEDIATYPE_Audio;
    description.MinimumChannels = format.channels;
    description.MaximumChannels = format.channels;
    description.ChannelsGranularity = 1;
    description.MinimumBitsPerSample = format.bitsPerSample;
    description.MaximumBitsPerSample = format.bitsPerSample;
    description.BitsPerSampleGranularity = 8;
    description.MinimumSampleFrequency = format.sampleRate;
    description.MaximumSampleFrequency = format.sampleRate;
    description.SampleFrequencyGranularity = 1;
    std::memcpy(caps, &description, sizeof description);
    return S_OK;
}

// ---- the filter ----

HRESULT MicrophoneFilter::create(int index, REFIID iid, void** out) {
    return filterbase::createFilter(
        [index] { return new MicrophoneFilter(readMicrophoneConfig(index)); }, iid, out);
}

MicrophoneFilter::MicrophoneFilter(MicrophoneConfig config)
    : filterbase::FilterBase(microphoneClsid(config.index)), config_(std::move(config)),
      clock_(config_.formats.front().sampleRate), pin_(*this), stream_(clock_) {}

MicrophoneFilter::~MicrophoneFilter() {
    Stop();
}

STDMETHODIMP MicrophoneFilter::QueryInterface(REFIID iid, void** out) {
    return filterbase::FilterBase::QueryInterface(iid, out);
}

STDMETHODIMP_(ULONG) MicrophoneFilter::AddRef() {
    return filterbase::FilterBase::AddRef();
}

STDMETHODIMP_(ULONG) MicrophoneFilter::Release() {
    return filterbase::FilterBase::Release();
}

HRESULT MicrophoneFilter::queryExtraInterface(REFIID iid, void** out) {
    if (iid == kIidStreamStats) {
        *out = static_cast<IStreamStats*>(this);
    } else if (iid == IID_IReferenceClock && !config_.noClock) {
        *out = static_cast<IReferenceClock*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP MicrophoneFilter::GetStreamStats(StreamStats* stats) {
    if (stats == nullptr) {
        return E_POINTER;
    }
    *stats = StreamStats{};
    stats->framesDelivered = static_cast<ULONGLONG>(stream_.framesDelivered());
    return S_OK;
}

STDMETHODIMP MicrophoneFilter::GetTime(REFERENCE_TIME* time) {
    return clock_.getTime(time);
}

STDMETHODIMP MicrophoneFilter::AdviseTime(REFERENCE_TIME base, REFERENCE_TIME offset, HEVENT event,
                                          DWORD_PTR* cookie) {
    return clock_.adviseTime(base, offset, reinterpret_cast<HANDLE>(event), cookie);
}

STDMETHODIMP MicrophoneFilter::AdvisePeriodic(REFERENCE_TIME start, REFERENCE_TIME period,
                                              HSEMAPHORE semaphore, DWORD_PTR* cookie) {
    return clock_.advisePeriodic(start, period, reinterpret_cast<HANDLE>(semaphore), cookie);
}

STDMETHODIMP MicrophoneFilter::Unadvise(DWORD_PTR cookie) {
    return clock_.unadvise(cookie);
}

ULONG MicrophoneFilter::miscFlags() const {
    return AM_FILTER_MISC_FLAGS_IS_SOURCE;
}

IPin* MicrophoneFilter::pinAt(ULONG index) const {
    return index == 0 ? const_cast<MicrophonePin*>(&pin_) : nullptr;
}

std::vector<AudioFormat> MicrophoneFilter::offeredFormats() const {
    if (chosen_) {
        return {*chosen_};
    }
    return config_.formats;
}

bool MicrophoneFilter::acceptsType(const AM_MEDIA_TYPE& type) const {
    const std::optional<AudioFormat> format = readAudioType(type);
    if (!format) {
        return false;
    }
    for (const AudioFormat& offered : offeredFormats()) {
        if (offered == *format) {
            return true;
        }
    }
    return false;
}

HRESULT MicrophoneFilter::setFormat(const AM_MEDIA_TYPE* type) {
    if (type == nullptr) {
        return E_POINTER;
    }
    if (config_.refuseFormats) {
        return VFW_E_INVALIDMEDIATYPE;
    }
    const std::optional<AudioFormat> format = readAudioType(*type);
    bool configured = false;
    for (const AudioFormat& offered : config_.formats) {
        configured = configured || (format && offered == *format);
    }
    if (!configured) {
        return VFW_E_INVALIDMEDIATYPE;
    }
    filterbase::MediaType chosenType;
    HRESULT hr = makeAudioType(*format, chosenType);
    if (FAILED(hr)) {
        return hr;
    }
    vcx::ComPtr<IFilterGraph> graphRef;
    {
        filterbase::Locked lock(controlLock());
        if (state() != State_Stopped) {
            return VFW_E_NOT_STOPPED;
        }
        if (pin_.isConnected()) {
            if (pin_.peer()->QueryAccept(&chosenType.get()) != S_OK) {
                return VFW_E_INVALIDMEDIATYPE;
            }
            if (graph() == nullptr) {
                return VFW_E_NOT_IN_GRAPH;
            }
            graph()->AddRef();
            *graphRef.put() = graph();
        }
        chosen_ = *format;
        clock_.setRate(format->sampleRate);
    }
    // A connected pin moves to the new format through the graph, outside the lock.
    return graphRef ? graphRef->Reconnect(&pin_) : S_OK;
}

HRESULT MicrophoneFilter::getFormat(AM_MEDIA_TYPE** type) {
    if (type == nullptr) {
        return E_POINTER;
    }
    *type = nullptr;
    filterbase::Locked lock(controlLock());
    if (pin_.isConnected()) {
        *type = filterbase::createMediaTypeCopy(pin_.connectionType());
        return *type != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    filterbase::MediaType current;
    const HRESULT hr = makeAudioType(chosen_ ? *chosen_ : config_.formats.front(), current);
    if (FAILED(hr)) {
        return hr;
    }
    *type = filterbase::createMediaTypeCopy(current.get());
    return *type != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT MicrophoneFilter::activate() {
    const HRESULT hr = pin_.commitAllocator();
    if (FAILED(hr) || !pin_.isConnected()) {
        return hr;
    }
    const std::optional<AudioFormat> format = readAudioType(pin_.connectionType());
    if (!format) {
        return VFW_E_INVALIDMEDIATYPE;
    }
    clock_.setRate(format->sampleRate);
    vcx::ComPtr<IMediaEventSink> events;
    if (graph() != nullptr) {
        graph()->QueryInterface(IID_IMediaEventSink, events.putVoid());
    }
    MicrophoneFaults faults{config_.stallAfter, config_.loseAfter, events.get(),
                            static_cast<IBaseFilter*>(this)};
    return stream_.start(&pin_, *format, config_.startupDelayMs, faults);
}

void MicrophoneFilter::run(REFERENCE_TIME start) {
    vcx::ComPtr<IReferenceClock> clock;
    *clock.put() = clockRef();
    bool own = false;
    if (clock) {
        vcx::ComPtr<IUnknown> identity;
        clock->QueryInterface(IID_IUnknown, identity.putVoid());
        own = identity.get() == static_cast<IUnknown*>(static_cast<IBaseFilter*>(this));
    }
    stream_.run(start, clock.get(), own);
}

void MicrophoneFilter::pauseRunning() {
    stream_.pause();
}

void MicrophoneFilter::deactivate() {
    pin_.decommitAllocator();
    stream_.stop();
}

} // namespace vcxcam
