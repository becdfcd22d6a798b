// Parsing of the Formats lines of the camera configuration.
#include "capability.h"

#include <gtest/gtest.h>

namespace {

using vcxcam::Capability;
using vcxcam::parseCapabilities;
using vcxcam::parseCapability;
using vcxcam::Subtype;

TEST(CapabilityParse, ReadsSizeAndRateIntoFrameInterval) {
    const auto cap = parseCapability(L"640x480@30");
    ASSERT_TRUE(cap.has_value());
    EXPECT_EQ(cap->width, 640);
    EXPECT_EQ(cap->height, 480);
    EXPECT_EQ(cap->frameInterval, 333333);
    EXPECT_FALSE(cap->videoInfo2);
}

TEST(CapabilityParse, RoundsDecimalRatesToTheNearestInterval) {
    EXPECT_EQ(parseCapability(L"640x480@29.97")->frameInterval, 333667);
    EXPECT_EQ(parseCapability(L"640x480@59.94")->frameInterval, 166834);
    EXPECT_EQ(parseCapability(L"640x480@60")->frameInterval, 166667);
    EXPECT_EQ(parseCapability(L"640x480@0.5")->frameInterval, 20000000);
    EXPECT_EQ(parseCapability(L"640x480@1000")->frameInterval, 10000);
    EXPECT_EQ(parseCapability(L"640x480@25.000000")->frameInterval, 400000);
}

TEST(CapabilityParse, NegativeHeightIsTopDown) {
    const auto cap = parseCapability(L"1280x-720@30");
    ASSERT_TRUE(cap.has_value());
    EXPECT_EQ(cap->width, 1280);
    EXPECT_EQ(cap->height, -720);
}

TEST(CapabilityParse, Vi2PrefixAsksForVideoInfo2) {
    const auto cap = parseCapability(L"vi2:320x240@15");
    ASSERT_TRUE(cap.has_value());
    EXPECT_TRUE(cap->videoInfo2);
    EXPECT_EQ(cap->width, 320);
    EXPECT_EQ(cap->height, 240);
    EXPECT_EQ(cap->frameInterval, 666667);
    ASSERT_TRUE(parseCapability(L"VI2:320x-240@15").has_value());
    EXPECT_TRUE(parseCapability(L"VI2:320x-240@15")->videoInfo2);
}

TEST(CapabilityParse, IgnoresSurroundingBlanksAndAcceptsCapitalX) {
    const auto cap = parseCapability(L" \t1920X1080@30\r\n");
    ASSERT_TRUE(cap.has_value());
    EXPECT_EQ(cap->width, 1920);
    EXPECT_EQ(cap->height, 1080);
}

TEST(CapabilityParse, RejectsMalformedLines) {
    for (const wchar_t* line : {L"",
                                L"garbage",
                                L"640x480",
                                L"640x480@",
                                L"640x480@30fps",
                                L"640x480@30.",
                                L"640x480@.5",
                                L"640 x 480@30",
                                L"640x480 @30",
                                L"x480@30",
                                L"640x@30",
                                L"640x480@30@30",
                                L"640x--480@30",
                                L"+640x480@30",
                                L"640x+480@30",
                                L"vi2:",
                                L"vi2 640x480@30",
                                L"vi3:640x480@30",
                                L"640x480@-30",
                                L"640x480@3e1",
                                L"0x640x480@30",
                                L"６４０x480@30"}) {
        EXPECT_FALSE(parseCapability(line).has_value())
            << "accepted \"" << testing::PrintToString(std::wstring(line)) << "\"";
    }
}

TEST(CapabilityParse, RejectsZeroNegativeAndAbsurdValues) {
    for (const wchar_t* line :
         {L"0x480@30", L"-640x480@30", L"640x0@30", L"640x-0@30", L"640x480@0", L"640x480@0.0",
          L"640x480@0.000000", L"8193x480@30", L"640x8193@30", L"640x-8193@30", L"99999x480@30",
          L"12345678901234567890x480@30", L"640x480@1000.5", L"640x480@99999", L"640x480@1.0000001",
          L"640x480@123456789012345678901234567890"}) {
        EXPECT_FALSE(parseCapability(line).has_value())
            << "accepted \"" << testing::PrintToString(std::wstring(line)) << "\"";
    }
    EXPECT_TRUE(parseCapability(L"8192x-8192@1").has_value());
}

TEST(CapabilityParse, ListKeepsOrderSkipsBadLinesAndRepeats) {
    const std::vector<Capability> caps = parseCapabilities(
        {L"320x240@30", L"junk", L"1280x-720@60", L"320x240@30", L"vi2:320x240@30", L"0x0@0"});
    ASSERT_EQ(caps.size(), 3u);
    EXPECT_EQ(caps[0], (Capability{320, 240, 333333, false}));
    EXPECT_EQ(caps[1], (Capability{1280, -720, 166667, false}));
    EXPECT_EQ(caps[2], (Capability{320, 240, 333333, true}));
}

struct SubtypeCase {
    const wchar_t* line;
    std::optional<Capability> parsed; // nothing: the line is refused
};

class SubtypeParse : public testing::TestWithParam<SubtypeCase> {};

INSTANTIATE_TEST_SUITE_P(
    Lines, SubtypeParse,
    testing::Values(
        SubtypeCase{L"640x480@30:YUY2", Capability{640, 480, 333333, false, Subtype::Yuy2}},
        SubtypeCase{L"1280x720@30:NV12", Capability{1280, 720, 333333, false, Subtype::Nv12}},
        SubtypeCase{L"640x480@30:rgb24", Capability{640, 480, 333333, false, Subtype::Rgb24}},
        SubtypeCase{L"640x-480@30:RGB24", Capability{640, -480, 333333, false, Subtype::Rgb24}},
        SubtypeCase{L" vi2:162x120@29.97:yUy2 ", Capability{162, 120, 333667, true, Subtype::Yuy2}},
        SubtypeCase{L"vi2:4x2@1000:Nv12", Capability{4, 2, 10000, true, Subtype::Nv12}},
        // YUY2 and NV12 pictures are top-down with a positive height, YUY2
        // pairs pixels, NV12 stores whole 2 x 2 blocks in rows of 4 bytes.
        SubtypeCase{L"640x-480@30:YUY2", std::nullopt},
        SubtypeCase{L"641x480@30:YUY2", std::nullopt},
        SubtypeCase{L"642x480@30:NV12", std::nullopt},
        SubtypeCase{L"640x481@30:NV12", std::nullopt},
        SubtypeCase{L"640x-480@30:NV12", std::nullopt}, SubtypeCase{L"640x480@30:", std::nullopt},
        SubtypeCase{L"1920x1080@30:MJPG", Capability{1920, 1080, 333333, false, Subtype::Mjpg}},
        SubtypeCase{L"vi2:161x121@5:mjpg", Capability{161, 121, 2000000, true, Subtype::Mjpg}},
        // A JPEG is always upright.
        SubtypeCase{L"640x-480@30:MJPG", std::nullopt},
        SubtypeCase{L"640x480@30:MJPEG", std::nullopt},
        SubtypeCase{L"640x480@30:YUY2:NV12", std::nullopt},
        SubtypeCase{L"640x480@30 :YUY2", std::nullopt},
        SubtypeCase{L"640x480@30: YUY2", std::nullopt},
        SubtypeCase{L"640x480@30:YUY", std::nullopt},
        SubtypeCase{L"640x480@30:YUY22", std::nullopt},
        SubtypeCase{L"640x480:YUY2@30", std::nullopt},
        SubtypeCase{L"YUY2:640x480@30", std::nullopt}));

TEST_P(SubtypeParse, SuffixNamesTheSubtypeOfASizeItCanHold) {
    EXPECT_EQ(parseCapability(GetParam().line), GetParam().parsed);
}

TEST(CapabilityParse, SameSizeInAnotherSubtypeIsAnotherCapability) {
    const std::vector<Capability> caps =
        parseCapabilities({L"320x240@30", L"320x240@30:YUY2", L"320x240@30:yuy2",
                           L"320x240@30:NV12", L"320x240@30:RGB24"});
    ASSERT_EQ(caps.size(), 3u);
    EXPECT_EQ(caps[0].subtype, Subtype::Rgb24);
    EXPECT_EQ(caps[1].subtype, Subtype::Yuy2);
    EXPECT_EQ(caps[2].subtype, Subtype::Nv12);
}

TEST(CapabilityParse, DefaultsAreTheFourDocumentedFormats) {
    const std::vector<Capability> caps = vcxcam::defaultCapabilities();
    ASSERT_EQ(caps.size(), 4u);
    EXPECT_EQ(caps[0], (Capability{640, 480, 333333, false}));
    EXPECT_EQ(caps[1], (Capability{320, 240, 333333, false}));
    EXPECT_EQ(caps[2], (Capability{1280, 720, 333333, false}));
    EXPECT_EQ(caps[3], (Capability{1920, 1080, 333333, false}));
}

} // namespace
