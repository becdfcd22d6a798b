// The picture generator draws exactly the documented picture: checked against
// a straightforward pixel-by-pixel drawing of the definition.
#include "picture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

// The picture as its definition states it, one pixel at a time.
std::vector<std::uint8_t> referencePicture(int width, int height, std::uint32_t frame) {
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    const int rows = std::abs(height);
    std::vector<std::uint8_t> bits(stride * static_cast<std::size_t>(rows), 0);
    for (int y = 0; y < rows; ++y) {
        const int stored = height > 0 ? rows - 1 - y : y;
        for (int x = 0; x < width; ++x) {
            std::uint8_t* pixel =
                &bits[stride * static_cast<std::size_t>(stored) + 3 * static_cast<std::size_t>(x)];
            pixel[0] = static_cast<std::uint8_t>((x + frame) % 256);
            pixel[1] = static_cast<std::uint8_t>(y % 256);
            pixel[2] = static_cast<std::uint8_t>((x ^ y) % 256);
        }
    }
    return bits;
}

TEST(Picture, StrideAndFrameSizePadRowsToFourBytes) {
    EXPECT_EQ(vcxcam::rowStride(1), 4u);
    EXPECT_EQ(vcxcam::rowStride(4), 12u);
    EXPECT_EQ(vcxcam::rowStride(5), 16u);
    EXPECT_EQ(vcxcam::rowStride(1920), 5760u);
    EXPECT_EQ(vcxcam::frameSize(5, 3), 48u);
    EXPECT_EQ(vcxcam::frameSize(5, -3), 48u);
    EXPECT_EQ(vcxcam::frameSize(1920, 1080), 6220800u);
}

TEST(Picture, MatchesTheDefinitionForAllSizeShapes) {
    // Widths and heights around the 256-pixel repetition and the 4-byte padding.
    for (int width : {1, 2, 3, 5, 255, 256, 257, 513, 640, 1001}) {
        for (int height : {1, 2, 255, 256, 257, 600, -1, -257, -600}) {
            for (std::uint32_t frame : {0u, 1u, 255u, 256u, 1001u, 0xFFFFFFFFu}) {
                const std::vector<std::uint8_t> expected = referencePicture(width, height, frame);
                // Poisoned, so that padding the generator leaves alone shows.
                std::vector<std::uint8_t> drawn(vcxcam::frameSize(width, height), 0xCD);
                ASSERT_EQ(drawn.size(), expected.size());
                vcxcam::drawFrame(drawn.data(), width, height, frame);
                ASSERT_EQ(drawn, expected)
                    << "width " << width << ", height " << height << ", frame " << frame;
            }
        }
    }
}

TEST(Picture, BottomUpStoresTheTopRowLast) {
    std::vector<std::uint8_t> bits(vcxcam::frameSize(2, 3));
    vcxcam::drawFrame(bits.data(), 2, 3, 7);
    const std::size_t stride = vcxcam::rowStride(2);
    // Picture row 0 (top) is stored last; its pixel 1 is (1+7, 0, 1^0).
    EXPECT_EQ(bits[2 * stride + 3], 8);
    EXPECT_EQ(bits[2 * stride + 4], 0);
    EXPECT_EQ(bits[2 * stride + 5], 1);
    // Picture row 2 is stored first: pixel 0 is (7, 2, 2).
    EXPECT_EQ(bits[0], 7);
    EXPECT_EQ(bits[1], 2);
    EXPECT_EQ(bits[2], 2);
}

} // namespace
