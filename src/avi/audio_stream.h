// The audio stream an AVI file records, read from the media type its writer
// is connected with: MEDIATYPE_Audio with a FORMAT_WaveFormatEx block holding
// a WAVEFORMATEX and the cbSize bytes after it. PCM (plain, or as
// WAVEFORMATEXTENSIBLE) must be self-consistent (block alignment and byte
// rate as its channels, bits and sample rate make them); any other tag is
// compressed audio recorded as it comes, in whole blocks of nBlockAlign.
#pragma once

#include <windows.h>
#include <strmif.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace vcx::avi {

struct AudioStream {
    // The stream format chunk: the WAVEFORMATEX and its cbSize bytes.
    std::vector<std::uint8_t> waveFormat;
    DWORD blockAlign = 0;     // nBlockAlign: bytes of one block, the stream's unit
    DWORD bytesPerSecond = 0; // nAvgBytesPerSec
};

// The stream type describes, or nothing when the writer does not take it.
// Throws std::bad_alloc.
std::optional<AudioStream> readAudioStream(const AM_MEDIA_TYPE& type);

} // namespace vcx::avi
