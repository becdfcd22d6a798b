#include "avi/audio_stream.h"

#include <dshow.h>
#include <mmreg.h>

#include <cstddef>

namespace vcx::avi {

namespace {

// KSDATAFORMAT_SUBTYPE_PCM: the SubFormat of PCM in a WAVEFORMATEXTENSIBLE.
constexpr GUID kSubFormatPcm = {
    0x00000001, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

bool isPcm(const WAVEFORMATEX& format) {
    if (format.wFormatTag == WAVE_FORMAT_PCM) {
        return true;
    }
    if (format.wFormatTag != WAVE_FORMAT_EXTENSIBLE) {
        return false;
    }
    const auto& extensible = reinterpret_cast<const WAVEFORMATEXTENSIBLE&>(format);
    return extensible.SubFormat == kSubFormatPcm;
}

// Whether a PCM format's block and byte rate are what its samples make.
bool consistentPcm(const WAVEFORMATEX& format) {
    if (format.wBitsPerSample == 0 || format.wBitsPerSample % 8 != 0) {
        return false;
    }
    const DWORD block = static_cast<DWORD>(format.nChannels) * (format.wBitsPerSample / 8);
    return format.nBlockAlign == block &&
           format.nAvgBytesPerSec == format.nSamplesPerSec * static_cast<DWORD>(block);
}

} // namespace

std::optional<AudioStream> readAudioStream(const AM_MEDIA_TYPE& type) {
    if (type.majortype != MEDIATYPE_Audio || type.formattype != FORMAT_WaveFormatEx ||
        type.pbFormat == nullptr || type.cbFormat < sizeof(WAVEFORMATEX)) {
        return std::nullopt;
    }
    const auto& format = *reinterpret_cast<const WAVEFORMATEX*>(type.pbFormat);
    const std::size_t bytes = sizeof(WAVEFORMATEX) + format.cbSize;
    if (bytes > type.cbFormat || format.nChannels == 0 || format.nSamplesPerSec == 0 ||
        format.nBlockAlign == 0 || format.nAvgBytesPerSec == 0) {
        return std::nullopt;
    }
    if (format.wFormatTag == WAVE_FORMAT_EXTENSIBLE &&
        format.cbSize < sizeof(WAVEFORMATEXTENSIBLE) - sizeof(WAVEFORMATEX)) {
        return std::nullopt;
    }
    if (isPcm(format) && !consistentPcm(format)) {
        return std::nullopt;
    }
    AudioStream stream;
    stream.waveFormat.assign(type.pbFormat, type.pbFormat + bytes);
    stream.blockAlign = format.nBlockAlign;
    stream.bytesPerSecond = format.nAvgBytesPerSec;
    return stream;
}

} // namespace vcx::avi
