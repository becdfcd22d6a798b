// vcx_GetAudioFormatList and vcx_GetAudioFormatListSize: the formats an audio
// capture device offers on its capture pin, one "RATE,CHANNELS,BITS" entry
// per capability with a WAVEFORMATEX, as a name list.
#include "vcxcap.h"

#include <windows.h>
#include <mmreg.h>

#include <vector>

#include "config/stream_config.h"
#include "core/device_category.h"
#include "core/platform.h"
#include "lists/name_list.h"

namespace vcx {
namespace {

// The bytes of a WAVEFORMATEX without its cbSize, all a PCM format needs.
constexpr ULONG kWaveFormatBytes = 16;

// Binds the device at index of the audio input category into filter.
int32_t bindAudioDevice(int32_t index, ComPtr<IBaseFilter>& filter) {
    const CategoryPick pick =
        pickFromCategory(CLSID_AudioInputDeviceCategory, index, [&](IMoniker* moniker) {
            if (moniker != nullptr && moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter,
                                                            filter.putVoid()) != S_OK) {
                filter.reset();
            }
        });
    if (const int32_t failed = openFailure(pick.opened, -3, -4); failed < 0) {
        return failed;
    }
    if (index >= pick.count) {
        return -5;
    }
    return filter ? 0 : -6;
}

// The stream configuration of the device's audio capture pin, found through
// a Capture Graph Builder of its own (no graph needed).
int32_t findAudioStreamConfig(IBaseFilter* device, ComPtr<IAMStreamConfig>& config) {
    ComPtr<ICaptureGraphBuilder2> builder;
    if (platform().coCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC,
                                    IID_ICaptureGraphBuilder2, builder.putVoid()) != S_OK) {
        builder.reset();
        return -7;
    }
    if (builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio, device, IID_IAMStreamConfig,
                               config.putVoid()) != S_OK ||
        !config) {
        config.reset();
        return -8;
    }
    return 0;
}

// Adds an entry for every capability whose type carries a WAVEFORMATEX.
void addAudioFormats(IAMStreamConfig& config, NameList& list) {
    int count = 0;
    int size = 0;
    if (FAILED(config.GetNumberOfCapabilities(&count, &size)) || count <= 0 || size <= 0) {
        return;
    }
    std::vector<BYTE> caps(static_cast<std::size_t>(size));
    for (int index = 0; index < count; ++index) {
        OwnedMediaType type;
        if (FAILED(config.GetStreamCaps(index, type.put(), caps.data())) || type.get() == nullptr ||
            type.get()->formattype != FORMAT_WaveFormatEx || type.get()->pbFormat == nullptr ||
            type.get()->cbFormat < kWaveFormatBytes) {
            continue;
        }
        const auto* wave = reinterpret_cast<const WAVEFORMATEX*>(type.get()->pbFormat);
        list.addFormatted("%lu,%u,%u", static_cast<unsigned long>(wave->nSamplesPerSec),
                          static_cast<unsigned>(wave->nChannels),
                          static_cast<unsigned>(wave->wBitsPerSample));
    }
}

int32_t listAudioFormats(int32_t device, char* buffer, ListOutput output) {
    if (checkSlotState(kGuardComInitialized) < 0) {
        return -1;
    }
    if (output == ListOutput::kList && buffer == nullptr) {
        return -2;
    }
    if (device < 0) {
        return -5;
    }
    ComPtr<IBaseFilter> filter;
    if (const int32_t failed = bindAudioDevice(device, filter); failed < 0) {
        return failed;
    }
    ComPtr<IAMStreamConfig> config;
    if (const int32_t failed = findAudioStreamConfig(filter.get(), config); failed < 0) {
        return failed;
    }
    NameList list = NameList::of(output, buffer);
    addAudioFormats(*config.get(), list);
    return list.result();
}

} // namespace
} // namespace vcx

using namespace vcx;

extern "C" int VCXAPI vcx_GetAudioFormatList(int device, char* buffer) {
    return listAudioFormats(device, buffer, ListOutput::kList);
}

extern "C" int VCXAPI vcx_GetAudioFormatListSize(int device) {
    return listAudioFormats(device, nullptr, ListOutput::kSize);
}
