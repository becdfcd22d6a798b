#include "recordings.h"

#include "camera_support.h"

#include <fstream>

namespace avirec {

void writeExpectation(const std::string& name, ULONGLONG frames, int width, int height,
                      ULONGLONG firstRaw, vcxcam::Subtype subtype, const Timing& timing) {
    std::ofstream expect(name + ".expect", std::ios::binary);
    expect << frames << ' ' << width << ' ' << height << ' ' << timing.fps;
    if (timing.longest > 0) {
        expect << ' ' << timing.shortest << ' ' << timing.longest << ' ' << timing.spacing;
    }
    expect << '\n';
    std::ofstream raw(name + ".raw", std::ios::binary);
    for (ULONGLONG f = firstRaw; f < frames; ++f) {
        const std::vector<std::uint8_t> frame =
            camtest::cameraFrame(width, height, subtype, static_cast<std::uint32_t>(f));
        raw.write(reinterpret_cast<const char*>(frame.data()),
                  static_cast<std::streamsize>(frame.size()));
    }
}

void writeAudioExpectation(const std::string& name, const std::vector<std::uint8_t>& audio,
                           double audioAfterVideo, const AudioSync& sync) {
    std::ofstream(name + ".audio", std::ios::binary)
        .write(reinterpret_cast<const char*>(audio.data()),
               static_cast<std::streamsize>(audio.size()));
    std::ofstream(name + ".sync", std::ios::binary)
        << audioAfterVideo << ' ' << sync.tolerance << ' ' << (sync.endsTogether ? 1 : 0) << ' '
        << sync.skipped << '\n';
}

} // namespace avirec
