// The conversion between RGB24 and YUY2 / NV12: the per-pixel formulas against
// values worked out by hand, and the layout of whole small pictures (which
// pixels share chroma, how it is rounded, row order and padding) against
// their exact bytes.
#include "colour_conversion.h"
#include "picture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

// Readable pixels in failure messages (found by argument-dependent lookup).
namespace vcxcam {

void PrintTo(const RgbPixel& p, std::ostream* os) {
    *os << "rgb(" << int{p.red} << ", " << int{p.green} << ", " << int{p.blue} << ")";
}

void PrintTo(const YuvPixel& p, std::ostream* os) {
    *os << "yuv(" << int{p.y} << ", " << int{p.u} << ", " << int{p.v} << ")";
}

} // namespace vcxcam

namespace {

using vcxcam::RgbPixel;
using vcxcam::Subtype;
using vcxcam::YuvPixel;

struct PixelCase {
    RgbPixel rgb;
    YuvPixel yuv;
};

class YuvOfRgb : public testing::TestWithParam<PixelCase> {};

// Rounding down matters: red's U is floor(-37.35) + 128 = 90, not 91.
INSTANTIATE_TEST_SUITE_P(Pixels, YuvOfRgb,
                         testing::Values(PixelCase{{0, 0, 0}, {16, 128, 128}},
                                         PixelCase{{255, 255, 255}, {235, 128, 128}},
                                         PixelCase{{255, 0, 0}, {82, 90, 240}},
                                         PixelCase{{0, 255, 0}, {144, 54, 34}},
                                         PixelCase{{0, 0, 255}, {41, 240, 110}},
                                         PixelCase{{128, 128, 128}, {126, 128, 128}},
                                         PixelCase{{200, 100, 50}, {123, 91, 175}}));

TEST_P(YuvOfRgb, FollowsTheStudioRangeFormula) {
    EXPECT_EQ(vcxcam::yuvOfRgb(GetParam().rgb), GetParam().yuv);
}

class RgbOfYuv : public testing::TestWithParam<PixelCase> {};

// Each row: the YUV given, the RGB expected; results past 0..255 are clamped.
INSTANTIATE_TEST_SUITE_P(Pixels, RgbOfYuv,
                         testing::Values(PixelCase{{0, 0, 0}, {16, 128, 128}},
                                         PixelCase{{255, 255, 255}, {235, 128, 128}},
                                         PixelCase{{255, 1, 0}, {82, 90, 240}},
                                         PixelCase{{0, 254, 0}, {144, 54, 34}},
                                         PixelCase{{0, 0, 255}, {41, 240, 110}},
                                         PixelCase{{255, 125, 255}, {255, 255, 255}},
                                         PixelCase{{0, 135, 0}, {0, 0, 0}},
                                         PixelCase{{245, 97, 1}, {128, 64, 200}}));

TEST_P(RgbOfYuv, FollowsTheInverseFormulaClamped) {
    EXPECT_EQ(vcxcam::rgbOfYuv(GetParam().yuv), GetParam().rgb);
}

// An RGB24 picture of width x |height| pixels given top row first, stored
// bottom-up for a positive height and top-down for a negative one, rows
// padded with pad.
std::vector<std::uint8_t> storedRgb(const std::vector<RgbPixel>& pixels, int width, int height,
                                    std::uint8_t pad = 0) {
    const std::size_t stride = vcxcam::rowStride(width);
    const int rows = std::abs(height);
    std::vector<std::uint8_t> bits(stride * static_cast<std::size_t>(rows), pad);
    for (int y = 0; y < rows; ++y) {
        std::uint8_t* row =
            bits.data() + stride * static_cast<std::size_t>(height > 0 ? rows - 1 - y : y);
        for (int x = 0; x < width; ++x) {
            const RgbPixel& p = pixels[static_cast<std::size_t>(y * width + x)];
            row[3 * x] = p.blue;
            row[3 * x + 1] = p.green;
            row[3 * x + 2] = p.red;
        }
    }
    return bits;
}

constexpr RgbPixel kRed{255, 0, 0};
constexpr RgbPixel kGreen{0, 255, 0};
constexpr RgbPixel kBlue{0, 0, 255};
constexpr RgbPixel kBlack{0, 0, 0};
constexpr RgbPixel kWhite{255, 255, 255};
constexpr RgbPixel kBrown{200, 100, 50}; // U 91, V 175: odd, to show the rounding

struct PictureCase {
    const char* name;
    Subtype subtype;
    int width;
    int height;                    // of the RGB24 picture: negative top-down
    std::vector<RgbPixel> rgb;     // top row first
    std::vector<std::uint8_t> yuv; // the subtype's bytes
};

const std::vector<RgbPixel> kTwoRowPair = {kRed, kRed, kBlue, kBlue};
const std::vector<std::uint8_t> kTwoRowPairYuy2 = {82, 90, 82, 240, 41, 240, 41, 110};
const std::vector<RgbPixel> kFourByFour = {kBrown, kRed,   kBlack, kWhite, kGreen, kBlue,
                                           kWhite, kWhite, kRed,   kRed,   kRed,   kRed,
                                           kRed,   kRed,   kRed,   kRed};
// The Y plane, then one U V row per two rows: block (0, 0) takes
// floor((91 + 90 + 54 + 240 + 2) / 4) = 119 and floor((175 + 240 + 34 + 110
// + 2) / 4) = 140.
const std::vector<std::uint8_t> kFourByFourNv12 = {123, 82,  16,  235, 144, 41,  235, 235,
                                                   82,  82,  82,  82,  82,  82,  82,  82,
                                                   119, 140, 128, 128, 90,  240, 90,  240};
// Four blocks whose U and V sums leave every remainder mod 4, so that rounding
// down (floor(sum / 4)), half down, half up and up give different bytes:
//   block 0: U 90 + 240 + 128 + 128 = 586 (2 mod 4): floor((586 + 2) / 4) = 147
//            (down and half down 146); V 240 + 110 + 128 + 128 = 606: 152 (151);
//   block 1: U 128 + 91 + 90 + 240 = 549 (1 mod 4): 137 (up 138);
//            V 128 + 175 + 240 + 110 = 653 (1 mod 4): 163 (up 164);
//   block 2: U 240 + 91 + 54 + 90 = 475 (3 mod 4): 119 (down 118);
//            V 110 + 175 + 34 + 240 = 559 (3 mod 4): 140 (down 139);
//   block 3: U 54 + 128 + 128 + 90 = 400 (0 mod 4): 100;
//            V 34 + 128 + 128 + 240 = 530 (2 mod 4): 133 (down and half down 132).
const std::vector<RgbPixel> kEightByTwo = {kRed,   kBlue,  kWhite, kBrown, kBlue, kBrown,
                                           kGreen, kBlack, kBlack, kWhite, kRed,  kBlue,
                                           kGreen, kRed,   kWhite, kRed};
const std::vector<std::uint8_t> kEightByTwoNv12 = {82,  41,  235, 123, 41,  123, 144, 16,
                                                   16,  235, 82,  41,  144, 82,  235, 82,
                                                   147, 152, 137, 163, 119, 140, 100, 133};

class FromRgb24 : public testing::TestWithParam<PictureCase> {};

INSTANTIATE_TEST_SUITE_P(
    Pictures, FromRgb24,
    testing::Values(
        // floor((91 + 90 + 1) / 2) = 91, floor((175 + 240 + 1) / 2) = 208.
        PictureCase{
            "Yuy2PairRoundsHalfUp", Subtype::Yuy2, 2, 1, {kBrown, kRed}, {123, 91, 82, 208}},
        // Each pair its own mean, neither pixel's value: floor((240 + 128 + 1) / 2) =
        // 184, floor((110 + 128 + 1) / 2) = 119; odd sums floor((54 + 91 + 1) / 2) = 73
        // (down 72), floor((34 + 175 + 1) / 2) = 105 (down 104).
        PictureCase{"Yuy2PairsTakeTheirOwnMeans",
                    Subtype::Yuy2,
                    4,
                    1,
                    {kBlue, kWhite, kGreen, kBrown},
                    {41, 184, 235, 119, 144, 73, 123, 105}},
        PictureCase{"Yuy2FromBottomUp", Subtype::Yuy2, 2, 2, kTwoRowPair, kTwoRowPairYuy2},
        PictureCase{"Yuy2FromTopDown", Subtype::Yuy2, 2, -2, kTwoRowPair, kTwoRowPairYuy2},
        PictureCase{"Nv12FromBottomUp", Subtype::Nv12, 4, 4, kFourByFour, kFourByFourNv12},
        PictureCase{"Nv12FromTopDown", Subtype::Nv12, 4, -4, kFourByFour, kFourByFourNv12},
        PictureCase{"Nv12BlocksRoundHalfUp", Subtype::Nv12, 8, 2, kEightByTwo, kEightByTwoNv12}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(FromRgb24, WritesTheSubtypesBytesTopRowFirst) {
    const PictureCase& c = GetParam();
    ASSERT_EQ(vcxcam::frameBytes(c.subtype, c.width, c.height), c.yuv.size());
    const std::vector<std::uint8_t> rgb = storedRgb(c.rgb, c.width, c.height, 0x5A);
    std::vector<std::uint8_t> out(c.yuv.size() + 4, 0xEE);
    vcxcam::convertFromRgb24(c.subtype, rgb.data(), c.width, c.height, out.data());
    EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + c.yuv.size()), c.yuv);
    EXPECT_EQ(std::vector<std::uint8_t>(out.begin() + c.yuv.size(), out.end()),
              std::vector<std::uint8_t>(4, 0xEE))
        << "written past the frame";
}

const std::vector<std::uint8_t> kTwoByTwoYuy2 = {82, 90, 144, 240, 235, 128, 235, 128};
const std::vector<RgbPixel> kTwoByTwoRgb = {{255, 1, 0}, {255, 73, 72}, kWhite, kWhite};
// Y plane rows, then U V rows [128 128 90 240] and [54 34 240 110]: pixel
// (3, 0) has Y 41 with block (1, 0)'s U 90 and V 240.
const std::vector<std::uint8_t> kFourByFourNv12In = {16,  235, 82,  41,  235, 16,  144, 144,
                                                     126, 126, 126, 126, 82,  235, 16,  41,
                                                     128, 128, 90,  240, 54,  34,  240, 110};
const std::vector<RgbPixel> kFourByFourRgb = {
    kBlack,        kWhite,          {255, 1, 0}, {208, 0, 0}, kWhite,        kBlack,
    {255, 73, 72}, {255, 73, 72},   {0, 233, 0}, {0, 233, 0}, {99, 99, 255}, {99, 99, 255},
    {0, 182, 0},   {105, 255, 106}, {0, 0, 226}, {0, 0, 255}};

class ToRgb24 : public testing::TestWithParam<PictureCase> {};

INSTANTIATE_TEST_SUITE_P(
    Pictures, ToRgb24,
    testing::Values(
        // 2 x 3 bytes a row, padded with two zeros.
        PictureCase{"Yuy2PaddedRow", Subtype::Yuy2, 2, 1, {kWhite, kBlack}, {235, 128, 16, 128}},
        PictureCase{"Yuy2ToBottomUp", Subtype::Yuy2, 2, 2, kTwoByTwoRgb, kTwoByTwoYuy2},
        PictureCase{"Yuy2ToTopDown", Subtype::Yuy2, 2, -2, kTwoByTwoRgb, kTwoByTwoYuy2},
        PictureCase{"Nv12ToBottomUp", Subtype::Nv12, 4, 4, kFourByFourRgb, kFourByFourNv12In},
        PictureCase{"Nv12ToTopDown", Subtype::Nv12, 4, -4, kFourByFourRgb, kFourByFourNv12In}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(ToRgb24, WritesEachPixelWithTheChromaItSharesAndZeroPadding) {
    const PictureCase& c = GetParam();
    const std::vector<std::uint8_t> expected = storedRgb(c.rgb, c.width, c.height);
    std::vector<std::uint8_t> out(expected.size() + 4, 0xEE);
    vcxcam::convertToRgb24(c.subtype, c.yuv.data(), c.width, c.height, out.data());
    EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + expected.size()), expected);
    EXPECT_EQ(std::vector<std::uint8_t>(out.begin() + expected.size(), out.end()),
              std::vector<std::uint8_t>(4, 0xEE))
        << "written past the frame";
}

} // namespace
