#include "graph/audio_capture.h"

#include <mmreg.h>

#include "core/com_ptr.h"
#include "core/device_category.h"
#include "lists/moniker_list.h"

namespace vcx {
namespace {

// Binds the device at the chosen position of the audio input category into
// audioSourceFilter and adds it to the graph.
int32_t addAudioDevice(CaptureSlot& slot) {
    const int32_t wanted = slot.audio.devicePlusOne - 1;
    HRESULT added = E_FAIL;
    const CategoryPick pick =
        pickFromCategory(CLSID_AudioInputDeviceCategory, wanted, [&](IMoniker* moniker) {
            if (moniker != nullptr &&
                moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter,
                                      reinterpret_cast<void**>(&slot.audioSourceFilter)) == S_OK &&
                slot.audioSourceFilter != nullptr) {
                added = slot.graph->AddFilter(slot.audioSourceFilter, L"Audio Capture");
            }
        });
    if (const int32_t failed = openFailure(pick.opened, -60, -61); failed < 0) {
        return failed;
    }
    if (wanted >= pick.count) {
        return -62;
    }
    return added == S_OK ? 0 : -63;
}

bool formatRequested(const AudioRequest& request) {
    return request.sampleRate != 0 || request.channels != 0 || request.bitsPerSample != 0;
}

// Asks the device's capture pin for the requested PCM format; whether it took it.
bool applyAudioFormat(const CaptureSlot& slot) {
    ComPtr<IAMStreamConfig> config;
    if (slot.captureBuilder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio,
                                           slot.audioSourceFilter, IID_IAMStreamConfig,
                                           config.putVoid()) != S_OK ||
        !config) {
        return false;
    }
    const AudioRequest& request = slot.audio;
    WAVEFORMATEX wave{};
    wave.wFormatTag = WAVE_FORMAT_PCM;
    wave.nChannels = static_cast<WORD>(request.channels);
    wave.nSamplesPerSec = static_cast<DWORD>(request.sampleRate);
    wave.wBitsPerSample = static_cast<WORD>(request.bitsPerSample);
    wave.nBlockAlign = static_cast<WORD>(request.channels * request.bitsPerSample / 8);
    wave.nAvgBytesPerSec = wave.nSamplesPerSec * wave.nBlockAlign;
    AM_MEDIA_TYPE type{};
    type.majortype = MEDIATYPE_Audio;
    type.subtype = MEDIASUBTYPE_PCM;
    type.bFixedSizeSamples = TRUE;
    type.lSampleSize = wave.nBlockAlign;
    type.formattype = FORMAT_WaveFormatEx;
    type.cbFormat = sizeof wave;
    type.pbFormat = reinterpret_cast<BYTE*>(&wave);
    return config->SetFormat(&type) == S_OK;
}

// Binds the audio compressor of the chosen name into audioCompressorFilter
// and adds it to the graph.
int32_t addAudioCompressor(CaptureSlot& slot) {
    ComPtr<IMoniker> moniker;
    switch (findListedMoniker(kAudioCompressors, slot.audio.codecName, moniker)) {
    case NameSearch::kNoDeviceEnumerator:
        return -64;
    case NameSearch::kNoCategoryEnumerator:
        return -65;
    case NameSearch::kNotListed:
        return -66;
    case NameSearch::kFound:
        break;
    }
    if (moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter,
                              reinterpret_cast<void**>(&slot.audioCompressorFilter)) != S_OK ||
        slot.audioCompressorFilter == nullptr ||
        slot.graph->AddFilter(slot.audioCompressorFilter, L"Audio Compressor") != S_OK) {
        return -67;
    }
    return 0;
}

// Windows' AVI Mux: the audio stream (index 1) is the master, so that the
// video's rate follows the audio clock, and the streams are interleaved as
// they are captured.
int32_t configureBuilderMux(const CaptureSlot& slot) {
    ComPtr<IConfigAviMux> mux;
    if (slot.muxFilter->QueryInterface(IID_IConfigAviMux, mux.putVoid()) != S_OK ||
        mux->SetMasterStream(1) != S_OK) {
        return -69;
    }
    ComPtr<IConfigInterleaving> interleaving;
    const REFERENCE_TIME interleave = kMuxInterleave;
    const REFERENCE_TIME preroll = kMuxPreroll;
    if (slot.muxFilter->QueryInterface(IID_IConfigInterleaving, interleaving.putVoid()) != S_OK ||
        interleaving->put_Mode(INTERLEAVE_CAPTURE) != S_OK ||
        interleaving->put_Interleaving(&interleave, &preroll) != S_OK) {
        return -70;
    }
    return 0;
}

// The device's clock as the graph's, when the device has one.
int32_t useDeviceClock(const CaptureSlot& slot) {
    ComPtr<IReferenceClock> clock;
    if (slot.audioSourceFilter->QueryInterface(IID_IReferenceClock, clock.putVoid()) != S_OK ||
        !clock) {
        return 0;
    }
    ComPtr<IMediaFilter> graph;
    if (slot.graph->QueryInterface(IID_IMediaFilter, graph.putVoid()) != S_OK ||
        graph->SetSyncSource(clock.get()) != S_OK) {
        return -71;
    }
    return 0;
}

} // namespace

bool audioRequested(const CaptureSlot& slot) {
    return slot.audio.devicePlusOne != 0;
}

int32_t buildAudioCapture(CaptureSlot& slot, bool builderMux) {
    if (const int32_t failed = addAudioDevice(slot); failed < 0) {
        return failed;
    }
    int32_t result = 0;
    if (formatRequested(slot.audio) && !applyAudioFormat(slot)) {
        result = kAudioFormatRefused;
    }
    if (slot.audio.codecName[0] != '\0') {
        if (const int32_t failed = addAudioCompressor(slot); failed < 0) {
            return failed;
        }
    }
    if (slot.captureBuilder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio,
                                          slot.audioSourceFilter, slot.audioCompressorFilter,
                                          slot.muxFilter) != S_OK) {
        return -68;
    }
    if (builderMux) {
        if (const int32_t failed = configureBuilderMux(slot); failed < 0) {
            return failed;
        }
    }
    if (const int32_t failed = useDeviceClock(slot); failed < 0) {
        return failed;
    }
    return result;
}

} // namespace vcx
