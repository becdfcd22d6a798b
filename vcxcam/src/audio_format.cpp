#include "audio_format.h"

#include <mmreg.h>
#include <uuids.h>

#include <algorithm>
#include <cstring>

namespace vcxcam {

namespace {

bool blank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

void skipBlanks(std::wstring_view& text) {
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
}

// Reads 1..6 decimal digits after any blanks.
bool takeNumber(std::wstring_view& text, DWORD& value) {
    skipBlanks(text);
    int digits = 0;
    value = 0;
    while (!text.empty() && text.front() >= L'0' && text.front() <= L'9') {
        if (++digits > 6) {
            return false;
        }
        value = value * 10 + static_cast<DWORD>(text.front() - L'0');
        text.remove_prefix(1);
    }
    skipBlanks(text);
    return digits > 0;
}

bool takeComma(std::wstring_view& text) {
    if (text.empty() || text.front() != L',') {
        return false;
    }
    text.remove_prefix(1);
    return true;
}

} // namespace

bool isValidAudioFormat(const AudioFormat& format) {
    const WORD bits = format.bitsPerSample;
    return format.sampleRate >= kMinSampleRate && format.sampleRate <= kMaxSampleRate &&
           format.channels >= 1 && format.channels <= kMaxChannels &&
           (bits == 8 || bits == 16 || bits == 24 || bits == 32);
}

std::optional<AudioFormat> parseAudioFormat(std::wstring_view line) {
    DWORD rate = 0;
    DWORD channels = 0;
    DWORD bits = 0;
    if (!takeNumber(line, rate) || !takeComma(line) || !takeNumber(line, channels) ||
        !takeComma(line) || !takeNumber(line, bits) || !line.empty() || channels > kMaxChannels ||
        bits > 32) {
        return std::nullopt;
    }
    const AudioFormat format{rate, static_cast<WORD>(channels), static_cast<WORD>(bits)};
    if (!isValidAudioFormat(format)) {
        return std::nullopt;
    }
    return format;
}

std::vector<AudioFormat> parseAudioFormats(const std::vector<std::wstring>& lines) {
    std::vector<AudioFormat> formats;
    for (const std::wstring& line : lines) {
        const std::optional<AudioFormat> format = parseAudioFormat(line);
        if (format && std::find(formats.begin(), formats.end(), *format) == formats.end()) {
            formats.push_back(*format);
        }
    }
    return formats;
}

std::vector<AudioFormat> defaultAudioFormats() {
    return {{44100, 2, 16}, {48000, 2, 16}, {22050, 1, 16}, {8000, 1, 8}};
}

HRESULT makeAudioType(const AudioFormat& format, filterbase::MediaType& out) {
    WAVEFORMATEX wave{};
    wave.wFormatTag = WAVE_FORMAT_PCM;
    wave.nChannels = format.channels;
    wave.nSamplesPerSec = format.sampleRate;
    wave.nAvgBytesPerSec = format.bytesPerSecond();
    wave.nBlockAlign = format.blockAlign();
    wave.wBitsPerSample = format.bitsPerSample;
    wave.cbSize = 0;
    AM_MEDIA_TYPE type{};
    type.majortype = MEDIATYPE_Audio;
    type.subtype = MEDIASUBTYPE_PCM;
    type.bFixedSizeSamples = TRUE;
    type.bTemporalCompression = FALSE;
    type.lSampleSize = format.blockAlign();
    type.formattype = FORMAT_WaveFormatEx;
    type.cbFormat = sizeof wave;
    type.pbFormat = reinterpret_cast<BYTE*>(&wave);
    return out.copyFrom(type);
}

std::optional<AudioFormat> readAudioType(const AM_MEDIA_TYPE& type) {
    if (type.majortype != MEDIATYPE_Audio || type.subtype != MEDIASUBTYPE_PCM ||
        type.formattype != FORMAT_WaveFormatEx || type.pbFormat == nullptr ||
        type.cbFormat < sizeof(WAVEFORMATEX)) {
        return std::nullopt;
    }
    WAVEFORMATEX wave;
    std::memcpy(&wave, type.pbFormat, sizeof wave);
    const AudioFormat format{wave.nSamplesPerSec, wave.nChannels, wave.wBitsPerSample};
    if (wave.wFormatTag != WAVE_FORMAT_PCM || !isValidAudioFormat(format) ||
        wave.nBlockAlign != format.blockAlign() ||
        wave.nAvgBytesPerSec != format.bytesPerSecond()) {
        return std::nullopt;
    }
    return format;
}

} // namespace vcxcam
