// What a test that holds for any camera may know of the cameras it runs
// against: their device indices and the frame rates they were set to, and
// what their pictures show, from the environment its runner sets; and the
// frames they deliver, with the checks of a picture that a camera's kind
// allows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace anycam {

struct Camera {
    int index = 0;
    double fps = 0; // the rate the device was set to deliver
};

// VCX_TEST_CAMERAS, "INDEX@FPS[,INDEX@FPS...]" ("0@5,1@30"); unset: "0@30".
// Throws harness::Failure on a malformed entry.
std::vector<Camera> camerasUnderTest();

// A gtest parameter name for a camera: "device1_30fps".
std::string cameraName(const Camera& camera);
// How gtest prints one: "device 1 at 30 fps".
void PrintTo(const Camera& camera, std::ostream* out);

// What the pictures show (VCX_TEST_PICTURE): "colour-bars" (75 % colour
// bars, as the kernel's vivid driver draws them, its text over the top rows),
// "vcxcam" (the virtual camera's test picture) or anything else: unknown.
enum class Picture { Unknown, ColourBars, Vcxcam };
Picture pictureUnderTest();

// A frame as the frame exports hand it out: its bits and the header's
// BITMAPINFOHEADER.
struct Frame {
    int number = 0;
    BITMAPINFOHEADER header{};
    std::vector<std::uint8_t> bits;

    long width() const { return header.biWidth; }
    long height() const { return header.biHeight < 0 ? -header.biHeight : header.biHeight; }
    // The colour bytes of picture row y (0 at the top), whichever way the
    // rows are stored.
    const std::uint8_t* row(long y) const;
};

// Why frame is not a picture of that kind; empty when it is (or when the
// kind is unknown and the frame is a well-formed 24-bit one).
std::string pictureProblem(Picture picture, const Frame& frame);

// The mean of the frame's colour bytes (0..255).
double meanLevel(const Frame& frame);

} // namespace anycam
