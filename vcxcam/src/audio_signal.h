// The microphone's signal: a running sample counter. Sample frame i of a
// stream (0 for the first frame after each run) holds i in little-endian
// byte order over all of the frame's bytes, cut to the frame's size: with
// 16-bit stereo the left sample is i mod 65536 and the right one i >> 16, so
// a test reads every frame's index back and sees any frame lost or doubled.
#pragma once

#include "audio_format.h"

#include <cstddef>
#include <cstdint>

namespace vcxcam {

// Writes frames sample frames, the first with index first, into out
// (frames * blockAlign bytes).
void writeCounterSamples(std::uint8_t* out, const AudioFormat& format, std::uint64_t first,
                         std::size_t frames);

// The index one sample frame holds: its bytes read little-endian (the index
// modulo 2^(8 * blockAlign), for frames of fewer than 8 bytes).
std::uint64_t readCounterSample(const std::uint8_t* frame, const AudioFormat& format);

} // namespace vcxcam
