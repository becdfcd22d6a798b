// The camera's JPEG frames: the same picture always makes the same bytes,
// they decode back to the picture within the codec's error, and a frame cut
// short, damaged or of another size is refused.
#include "jpeg_codec.h"
#include "picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

using vcxcam::JpegDecoder;
using vcxcam::JpegEncoder;

struct Frame {
    std::vector<std::uint8_t> jpeg;
    std::vector<std::uint8_t> picture;
};

Frame encodeFrame(int width, int height, std::uint32_t number) {
    Frame frame{std::vector<std::uint8_t>(vcxcam::frameSize(width, height) + 4096),
                std::vector<std::uint8_t>(vcxcam::frameSize(width, height))};
    vcxcam::drawFrame(frame.picture.data(), width, height, number);
    JpegEncoder encoder;
    const std::size_t size =
        encoder.encode(frame.picture.data(), width, height, frame.jpeg.data(), frame.jpeg.size());
    frame.jpeg.resize(size);
    return frame;
}

struct Size {
    int width;
    int height;
};

class JpegFrames : public testing::TestWithParam<Size> {};

INSTANTIATE_TEST_SUITE_P(Sizes, JpegFrames,
                         testing::Values(Size{640, 480}, Size{162, 121}, Size{1920, 1080},
                                         Size{7, 3}));

// A JPEG is upright: the decoder's bottom-up picture is the camera's
// bottom-up picture, within the 4:2:2 subsampling and quantisation error
// (measured: at most a few levels on average, more at the picture's sharp
// XOR edges).
TEST_P(JpegFrames, DecodeBackToThePictureWithinTheCodecsError) {
    const auto [width, height] = GetParam();
    const Frame frame = encodeFrame(width, height, 17);
    ASSERT_GT(frame.jpeg.size(), 100u);
    ASSERT_LT(frame.jpeg.size(), frame.picture.size() + 4096);
    std::vector<std::uint8_t> decoded(frame.picture.size(), 0xEE);
    JpegDecoder decoder;
    ASSERT_TRUE(
        decoder.decode(frame.jpeg.data(), frame.jpeg.size(), width, height, decoded.data()));
    const std::size_t stride = vcxcam::rowStride(width);
    long long total = 0;
    for (int row = 0; row < height; ++row) {
        for (std::size_t byte = 0; byte < stride; ++byte) {
            const std::size_t at = static_cast<std::size_t>(row) * stride + byte;
            if (byte >= static_cast<std::size_t>(width) * 3) {
                EXPECT_EQ(decoded[at], 0xEE) << "the decoder wrote row padding";
                continue;
            }
            total += std::abs(decoded[at] - frame.picture[at]);
        }
    }
    const double mean = static_cast<double>(total) / (static_cast<double>(width) * height * 3);
    EXPECT_LT(mean, 8.0);
    // Blue rises with x, green with the row from the top: the decoded picture
    // is not upside down or mirrored (those would be off by far more).
    EXPECT_GT(mean, 0.0) << "a JPEG is never exact for this picture";
}

TEST_P(JpegFrames, SamePictureMakesTheSameBytes) {
    const auto [width, height] = GetParam();
    EXPECT_EQ(encodeFrame(width, height, 3).jpeg, encodeFrame(width, height, 3).jpeg);
    EXPECT_NE(encodeFrame(width, height, 3).jpeg, encodeFrame(width, height, 4).jpeg);
}

TEST(JpegFrame, DoesNotFitASmallBuffer) {
    std::vector<std::uint8_t> picture(vcxcam::frameSize(64, 48));
    vcxcam::drawFrame(picture.data(), 64, 48, 0);
    std::vector<std::uint8_t> out(200);
    JpegEncoder encoder;
    EXPECT_EQ(encoder.encode(picture.data(), 64, 48, out.data(), out.size()), 0u);
}

// Frames a decoder cannot read in full.
struct BadFrameCase {
    const char* name;
    void (*spoil)(std::vector<std::uint8_t>& jpeg, int& width, int& height);
};

class BadFrames : public testing::TestWithParam<BadFrameCase> {};

INSTANTIATE_TEST_SUITE_P(
    Frames, BadFrames,
    testing::Values(
        BadFrameCase{"CutToHalf",
                     [](std::vector<std::uint8_t>& j, int&, int&) { j.resize(j.size() / 2); }},
        BadFrameCase{"LastBytesMissing",
                     [](std::vector<std::uint8_t>& j, int&, int&) { j.resize(j.size() - 2); }},
        BadFrameCase{"NotAJpeg", [](std::vector<std::uint8_t>& j, int&,
                                    int&) { std::fill(j.begin(), j.end(), 0x41); }},
        BadFrameCase{"Empty", [](std::vector<std::uint8_t>& j, int&, int&) { j.clear(); }},
        BadFrameCase{"AnotherWidth", [](std::vector<std::uint8_t>&, int& w, int&) { w -= 2; }},
        BadFrameCase{"AnotherHeight", [](std::vector<std::uint8_t>&, int&, int& h) { h += 1; }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(BadFrames, AreRefused) {
    Frame frame = encodeFrame(160, 120, 9);
    int width = 160;
    int height = 120;
    GetParam().spoil(frame.jpeg, width, height);
    std::vector<std::uint8_t> decoded(vcxcam::frameSize(160, 121) + 64);
    JpegDecoder decoder;
    EXPECT_FALSE(
        decoder.decode(frame.jpeg.data(), frame.jpeg.size(), width, height, decoded.data()));
}

} // namespace
