#include "camera_under_test.h"

#include "camera_support.h"
#include "harness.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace anycam {

namespace {

std::string environment(const char* name) {
    char value[256] = "";
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

std::size_t rowBytes(long width) {
    return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
}

// The eight bars, left to right, as red, green, blue at 75 %.
constexpr std::uint8_t kOn = 191;
constexpr std::array<std::array<std::uint8_t, 3>, 8> kBars = {{{kOn, kOn, kOn},
                                                               {kOn, kOn, 0},
                                                               {0, kOn, kOn},
                                                               {0, kOn, 0},
                                                               {kOn, 0, kOn},
                                                               {kOn, 0, 0},
                                                               {0, 0, kOn},
                                                               {0, 0, 0}}};
constexpr int kBarTolerance = 24;

// The bars' centres in the bottom eighth of the picture, which the driver's
// text (a dozen lines from the top) leaves clear.
std::string colourBarsProblem(const Frame& frame) {
    const long width = frame.width();
    const long height = frame.height();
    for (long y : {height - 1 - height / 32, height - 1 - height / 16, height - 1 - height / 10}) {
        const std::uint8_t* row = frame.row(y);
        for (std::size_t bar = 0; bar < kBars.size(); ++bar) {
            const long x = static_cast<long>((2 * bar + 1) * static_cast<std::size_t>(width) / 16);
            const std::uint8_t* pixel = row + 3 * x; // blue, green, red
            const std::array<int, 3> rgb = {pixel[2], pixel[1], pixel[0]};
            for (int c = 0; c < 3; ++c) {
                if (std::abs(rgb[c] - kBars[bar][c]) > kBarTolerance) {
                    std::ostringstream why;
                    why << "bar " << bar << " at " << x << "," << y << " is " << rgb[0] << ","
                        << rgb[1] << "," << rgb[2] << ", not " << int{kBars[bar][0]} << ","
                        << int{kBars[bar][1]} << "," << int{kBars[bar][2]};
                    return why.str();
                }
            }
        }
    }
    return {};
}

} // namespace

std::vector<Camera> camerasUnderTest() {
    std::string list = environment("VCX_TEST_CAMERAS");
    if (list.empty()) {
        list = "0@30";
    }
    std::vector<Camera> cameras;
    std::istringstream entries(list);
    std::string entry;
    while (std::getline(entries, entry, ',')) {
        Camera camera;
        char rest = 0;
        if (std::sscanf(entry.c_str(), "%d@%lf%c", &camera.index, &camera.fps, &rest) != 2 ||
            camera.index < 0 || camera.fps <= 0) {
            throw harness::Failure("VCX_TEST_CAMERAS: '" + entry + "' is not INDEX@FPS");
        }
        cameras.push_back(camera);
    }
    return cameras;
}

std::string cameraName(const Camera& camera) {
    return "device" + std::to_string(camera.index) + "_" +
           std::to_string(static_cast<int>(camera.fps)) + "fps";
}

void PrintTo(const Camera& camera, std::ostream* out) {
    *out << "device " << camera.index << " at " << camera.fps << " fps";
}

Picture pictureUnderTest() {
    const std::string kind = environment("VCX_TEST_PICTURE");
    if (kind == "colour-bars") {
        return Picture::ColourBars;
    }
    return kind == "vcxcam" ? Picture::Vcxcam : Picture::Unknown;
}

const std::uint8_t* Frame::row(long y) const {
    const long stored = header.biHeight > 0 ? height() - 1 - y : y;
    return bits.data() + rowBytes(width()) * static_cast<std::size_t>(stored);
}

std::string pictureProblem(Picture picture, const Frame& frame) {
    if (frame.header.biBitCount != 24 || frame.width() <= 0 || frame.height() <= 0) {
        return "not a 24-bit picture: " + std::to_string(frame.header.biBitCount) + " bits, " +
               std::to_string(frame.width()) + "x" + std::to_string(frame.header.biHeight);
    }
    if (frame.bits.size() != rowBytes(frame.width()) * static_cast<std::size_t>(frame.height())) {
        return std::to_string(frame.bits.size()) + " bytes for a " + std::to_string(frame.width()) +
               "x" + std::to_string(frame.height()) + " picture";
    }
    switch (picture) {
    case Picture::ColourBars:
        return colourBarsProblem(frame);
    case Picture::Vcxcam:
        return camtest::matchPicture(frame.bits, frame.width(), frame.header.biHeight)
                   ? std::string()
                   : "not the vcxcam test picture";
    case Picture::Unknown:
        break;
    }
    return {};
}

double meanLevel(const Frame& frame) {
    double sum = 0;
    for (long y = 0; y < frame.height(); ++y) {
        const std::uint8_t* row = frame.row(y);
        for (long i = 0; i < frame.width() * 3; ++i) {
            sum += row[i];
        }
    }
    return sum / (static_cast<double>(frame.width()) * 3 * static_cast<double>(frame.height()));
}

} // namespace anycam
