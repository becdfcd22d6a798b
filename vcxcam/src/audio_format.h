// The PCM formats of the virtual microphone: written in the configuration as
// "RATE,CHANNELS,BITS" ("48000,2,16"), offered as MEDIATYPE_Audio / PCM types
// with a WAVEFORMATEX, and read back from such types.
#pragma once

#include "filterbase/media_type.h"

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vcxcam {

// The ranges a microphone format may have.
constexpr DWORD kMinSampleRate = 1000;
constexpr DWORD kMaxSampleRate = 192000;
constexpr WORD kMaxChannels = 8;

struct AudioFormat {
    DWORD sampleRate = 0; // sample frames per second
    WORD channels = 0;
    WORD bitsPerSample = 0; // 8, 16, 24 or 32

    // Bytes of one sample frame (every channel's sample).
    WORD blockAlign() const { return static_cast<WORD>(channels * (bitsPerSample / 8)); }
    DWORD bytesPerSecond() const { return sampleRate * blockAlign(); }
    bool operator==(const AudioFormat&) const = default;
};

// Whether a format is within the ranges above, with a bit depth of 8, 16, 24
// or 32.
bool isValidAudioFormat(const AudioFormat& format);

// Parses "RATE,CHANNELS,BITS" (decimal, blanks around the line and the
// commas ignored); nothing for a line that is malformed or out of range.
std::optional<AudioFormat> parseAudioFormat(std::wstring_view line);

// Parses every line, skipping the bad ones and repeats of an earlier line.
std::vector<AudioFormat> parseAudioFormats(const std::vector<std::wstring>& lines);

// The formats of a microphone whose configuration names none:
// 44100,2,16  48000,2,16  22050,1,16  8000,1,8.
std::vector<AudioFormat> defaultAudioFormats();

// MEDIATYPE_Audio, MEDIASUBTYPE_PCM, FORMAT_WaveFormatEx with a WAVEFORMATEX
// (WAVE_FORMAT_PCM, cbSize 0) describing format; fixed-size samples of one
// sample frame.
HRESULT makeAudioType(const AudioFormat& format, filterbase::MediaType& out);

// The format a PCM type describes: Audio / PCM / FORMAT_WaveFormatEx with a
// block of at least a WAVEFORMATEX, WAVE_FORMAT_PCM, a valid format whose
// nBlockAlign and nAvgBytesPerSec agree with it. Nothing otherwise.
std::optional<AudioFormat> readAudioType(const AM_MEDIA_TYPE& type);

} // namespace vcxcam
