#include "audio_signal.h"

namespace vcxcam {

void writeCounterSamples(std::uint8_t* out, const AudioFormat& format, std::uint64_t first,
                         std::size_t frames) {
    const std::size_t bytes = format.blockAlign();
    for (std::size_t frame = 0; frame < frames; ++frame) {
        std::uint64_t value = first + frame;
        for (std::size_t byte = 0; byte < bytes; ++byte) {
            *out++ = static_cast<std::uint8_t>(value);
            value >>= 8;
        }
    }
}

std::uint64_t readCounterSample(const std::uint8_t* frame, const AudioFormat& format) {
    const std::size_t bytes = format.blockAlign() < 8 ? format.blockAlign() : 8;
    std::uint64_t value = 0;
    for (std::size_t byte = bytes; byte-- > 0;) {
        value = (value << 8) | frame[byte];
    }
    return value;
}

} // namespace vcxcam
