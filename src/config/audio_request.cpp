// The setters of the active slot's audio capture for the AVI modes: the
// device, the compressor and the format. They work in every slot state and
// are applied by the next open in mode 300 or 301; a refused value leaves
// the slot's request as it was.
#include "vcxcap.h"

#include <cstring>

#include "core/device_category.h"
#include "core/slots.h"
#include "lists/moniker_list.h"
#include "lists/name_list.h"

using namespace vcx;

static_assert(kAudioCodecNameBytes == kCompressorNameBytes);

namespace vcx {
namespace {

// Whether format is one vcx_SetAudioFormat takes (see the header).
int32_t checkAudioFormat(int32_t sampleRate, int32_t channels, int32_t bitsPerSample) {
    if (sampleRate == 0 && channels == 0 && bitsPerSample == 0) {
        return 0;
    }
    if (sampleRate < 1000 || sampleRate > 384000) {
        return -1;
    }
    if (channels < 1 || channels > 8) {
        return -2;
    }
    if (bitsPerSample != 8 && bitsPerSample != 16 && bitsPerSample != 24 && bitsPerSample != 32) {
        return -3;
    }
    return 0;
}

// The number of monikers the audio input category lists, or a code.
int32_t countAudioDevices(int32_t& count) {
    const CategoryPick pick =
        pickFromCategory(CLSID_AudioInputDeviceCategory, -1, [](IMoniker*) {});
    if (const int32_t failed = openFailure(pick.opened, -3, -4); failed < 0) {
        return failed;
    }
    count = pick.count;
    return 0;
}

} // namespace
} // namespace vcx

extern "C" int VCXAPI vcx_SetAudioDevice(int index) {
    if (const int32_t guard = checkSlotState(kGuardComInitialized); guard < 0) {
        return guard;
    }
    if (index < -1) {
        return -2;
    }
    if (index >= 0) {
        int32_t count = 0;
        if (const int32_t failed = countAudioDevices(count); failed < 0) {
            return failed;
        }
        if (index >= count) {
            return -5;
        }
    }
    activeSlot().audio.devicePlusOne = index + 1;
    return 0;
}

extern "C" int VCXAPI vcx_SetAudioCodec(const char* name) {
    if (const int32_t guard = checkSlotState(kGuardComInitialized); guard < 0) {
        return guard;
    }
    AudioRequest& request = activeSlot().audio;
    if (name == nullptr || name[0] == '\0') {
        request.codecName[0] = '\0';
        return 0;
    }
    const std::size_t length = std::strlen(name);
    if (length >= static_cast<std::size_t>(kAudioCodecNameBytes)) {
        return -2;
    }
    ComPtr<IMoniker> found;
    switch (findListedMoniker(kAudioCompressors, name, found)) {
    case NameSearch::kNoDeviceEnumerator:
        return -3;
    case NameSearch::kNoCategoryEnumerator:
        return -4;
    case NameSearch::kNotListed:
        return -5;
    case NameSearch::kFound:
        break;
    }
    std::memcpy(request.codecName, name, length + 1);
    return 0;
}

extern "C" int VCXAPI vcx_SetAudioFormat(int sampleRate, int channels, int bitsPerSample) {
    if (const int32_t refused = checkAudioFormat(sampleRate, channels, bitsPerSample);
        refused < 0) {
        return refused;
    }
    AudioRequest& request = activeSlot().audio;
    request.sampleRate = sampleRate;
    request.channels = channels;
    request.bitsPerSample = bitsPerSample;
    return 0;
}
