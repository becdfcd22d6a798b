// The camera's properties without a graph: the picture adjustment's formula
// byte by byte (values worked out by hand), the Controls lines and kept
// settings it parses, and the rules of a change, of a kept setting and of
// auto mode's movement.
#include "control_config.h"
#include "control_state.h"
#include "picture.h"
#include "picture_adjust.h"

#include <gtest/gtest.h>

#include <vfwmsgs.h>

#include <climits>
#include <optional>
#include <string>
#include <vector>

namespace {

using vcxcam::ControlSetting;
using vcxcam::ControlSpec;
using vcxcam::PictureLevels;

struct ByteRow {
    int c;
    PictureLevels levels;
    int expected;
};

class AdjustedByte : public ::testing::TestWithParam<ByteRow> {};

TEST_P(AdjustedByte, FollowsTheFormula) {
    EXPECT_EQ(vcxcam::adjustedByte(GetParam().c, GetParam().levels), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, AdjustedByte,
                         ::testing::Values(
                             // Neutral.
                             ByteRow{0, {}, 0}, ByteRow{200, {}, 200}, ByteRow{255, {}, 255},
                             // Brightness adds, clamped.
                             ByteRow{100, {20, 100, 0}, 120}, ByteRow{250, {20, 100, 0}, 255},
                             ByteRow{10, {-20, 100, 0}, 0},
                             // Contrast scales around 128, rounding down: (127 - 128) / 2 is -1.
                             ByteRow{0, {0, 50, 0}, 64}, ByteRow{255, {0, 50, 0}, 191},
                             ByteRow{129, {0, 50, 0}, 128}, ByteRow{127, {0, 50, 0}, 127},
                             ByteRow{200, {0, 200, 0}, 255}, ByteRow{100, {0, 200, 0}, 72},
                             // Gain multiplies by (100 + G) / 100, rounding down.
                             ByteRow{100, {0, 100, 50}, 150}, ByteRow{101, {0, 100, 50}, 151},
                             ByteRow{101, {0, 100, -50}, 50},
                             // All three: (60 - 128) * 1.5 + 128 + 10 = 36, 36 * 1.2 = 43.2.
                             ByteRow{60, {10, 150, 20}, 43},
                             // Extremes clamp without overflowing; a gain of -100 gives 0.
                             ByteRow{255, {0, INT_MAX, INT_MAX}, 255},
                             ByteRow{0, {0, INT_MAX, INT_MAX}, 0},
                             ByteRow{255, {INT_MAX, INT_MAX, -100}, 0},
                             ByteRow{255, {INT_MIN, 100, INT_MAX}, 0}));

TEST(AdjustPicture, ChangesColourBytesOnlyAndNothingAtNeutral) {
    for (const int height : {3, -3}) {
        const int width = 5; // 15 colour bytes, one byte of padding a row
        std::vector<std::uint8_t> bits(vcxcam::frameSize(width, height), 0xCD);
        for (int row = 0; row < 3; ++row) {
            for (int i = 0; i < 15; ++i) {
                bits[static_cast<std::size_t>(row * 16 + i)] = static_cast<std::uint8_t>(i * 17);
            }
        }
        const std::vector<std::uint8_t> drawn = bits;
        vcxcam::adjustPicture(bits.data(), width, height, PictureLevels{});
        EXPECT_EQ(bits, drawn);
        vcxcam::adjustPicture(bits.data(), width, height, PictureLevels{20, 100, 0});
        for (std::size_t i = 0; i < bits.size(); ++i) {
            const int expected = i % 16 == 15 ? 0xCD : std::min(255, drawn[i] + 20);
            ASSERT_EQ(bits[i], expected) << "byte " << i << ", height " << height;
        }
    }
}

struct LineRow {
    const wchar_t* line;
    std::optional<ControlSpec> spec;
};

class ControlLines : public ::testing::TestWithParam<LineRow> {};

TEST_P(ControlLines, ParseOrAreRefused) {
    EXPECT_EQ(vcxcam::parseControl(GetParam().line), GetParam().spec);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ControlLines,
    ::testing::Values(
        LineRow{L"Exposure -13 -1 1 -6 both auto", ControlSpec{14, -13, -1, 1, -6, 3, true}},
        LineRow{L"brightness -64 64 1 0 manual", ControlSpec{0, -64, 64, 1, 0, 2, false}},
        LineRow{L"Gain 0 100 1 0 auto", ControlSpec{9, 0, 100, 1, 0, 1, true}},
        LineRow{L"  FOCUS\t0 250 5 0 both  ", ControlSpec{16, 0, 250, 5, 0, 3, false}},
        LineRow{L"Pan -2147483648 2147483647 1 0 manual",
                ControlSpec{10, INT_MIN, INT_MAX, 1, 0, 2, false}},
        LineRow{L"Shine 0 1 1 0 manual", std::nullopt}, LineRow{L"Hue 0 1 1 0", std::nullopt},
        LineRow{L"Hue 0 1 1 0 both auto x", std::nullopt},
        LineRow{L"Hue 2 1 1 1 manual", std::nullopt}, LineRow{L"Hue 0 1 0 0 manual", std::nullopt},
        LineRow{L"Hue 0 9 1 10 manual", std::nullopt},
        LineRow{L"Focus 0 250 5 3 both", std::nullopt},
        LineRow{L"Hue 0 1 1 0 manual auto", std::nullopt},
        LineRow{L"Hue 0 1 1 0 both both", std::nullopt},
        LineRow{L"Hue 0 1 1 0 sometimes", std::nullopt},
        LineRow{L"Pan 0 2147483648 1 0 manual", std::nullopt},
        LineRow{L"Pan 0 1x 1 0 manual", std::nullopt}));

TEST(ControlLines, SkipTheBadAndRepeatedAndComeInNumberOrder) {
    const std::vector<ControlSpec> specs =
        vcxcam::parseControls({L"Focus 0 10 1 0 manual", L"nonsense", L"Brightness 0 10 1 0 manual",
                               L"focus 0 99 1 0 manual"});
    ASSERT_EQ(specs.size(), 2u);
    EXPECT_EQ(specs[0].number, 0);
    EXPECT_EQ(specs[1].number, 16);
    EXPECT_EQ(specs[1].maximum, 10) << "the first line of a property counts";
}

struct SettingRow {
    const wchar_t* text;
    std::optional<ControlSetting> setting;
};

class KeptSettings : public ::testing::TestWithParam<SettingRow> {};

TEST_P(KeptSettings, ParseAsWrittenOrNotAtAll) {
    EXPECT_EQ(vcxcam::parseSetting(GetParam().text), GetParam().setting);
    if (GetParam().setting) {
        EXPECT_EQ(vcxcam::settingText(*GetParam().setting), GetParam().text);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, KeptSettings,
                         ::testing::Values(SettingRow{L"20 manual", ControlSetting{20, false}},
                                           SettingRow{L"-6 auto", ControlSetting{-6, true}},
                                           SettingRow{L"x auto", std::nullopt},
                                           SettingRow{L"5 both", std::nullopt},
                                           SettingRow{L"5", std::nullopt},
                                           SettingRow{L"", std::nullopt}));

// Brightness -64..64 in steps of 2, manual only, at 10; Exposure -13..-1,
// both modes, in auto at -6.
std::vector<ControlSpec> twoControls() {
    return vcxcam::parseControls(
        {L"Brightness -64 64 2 10 manual", L"Exposure -13 -1 1 -6 both auto"});
}

struct ChangeRow {
    const char* name;
    int number;
    LONG value;
    LONG flags;
    HRESULT saveAnswer;
    HRESULT expected;
    ControlSetting after; // of the property asked (Brightness when it lacks one)
};

void PrintTo(const ChangeRow& row, std::ostream* out) {
    *out << row.name;
}

class Changes : public ::testing::TestWithParam<ChangeRow> {};

TEST_P(Changes, FollowTheDevicesRulesAndAreSavedBeforeTheyTakeEffect) {
    const ChangeRow& row = GetParam();
    vcxcam::ControlState state(twoControls());
    std::vector<std::pair<int, ControlSetting>> saved;
    const HRESULT hr =
        state.set(row.number, row.value, row.flags, [&](int number, const ControlSetting& s) {
            saved.emplace_back(number, s);
            return row.saveAnswer;
        });
    EXPECT_EQ(hr, row.expected);
    const int asked = state.spec(row.number) != nullptr ? row.number : 0;
    EXPECT_EQ(state.setting(asked), row.after);
    const bool valid = hr == S_OK || hr == row.saveAnswer;
    EXPECT_EQ(saved.size(), valid ? 1u : 0u) << "saved a change the camera refused";
}

const ControlSetting kBrightnessAsMade{10, false};
const ControlSetting kExposureAsMade{-6, true};

INSTANTIATE_TEST_SUITE_P(
    Rows, Changes,
    ::testing::Values(
        ChangeRow{"ManualOnTheSteps", 0, 20, 2, S_OK, S_OK, {20, false}},
        ChangeRow{"TheMinimum", 0, -64, 2, S_OK, S_OK, {-64, false}},
        ChangeRow{"OffItsSteps", 0, 21, 2, S_OK, E_INVALIDARG, kBrightnessAsMade},
        ChangeRow{"AboveTheMaximum", 0, 66, 2, S_OK, E_INVALIDARG, kBrightnessAsMade},
        ChangeRow{"AutoWithoutAutoMode", 0, 10, 1, S_OK, E_INVALIDARG, kBrightnessAsMade},
        ChangeRow{"NoFlags", 0, 10, 0, S_OK, E_INVALIDARG, kBrightnessAsMade},
        ChangeRow{"BothFlags", 14, -5, 3, S_OK, E_INVALIDARG, kExposureAsMade},
        ChangeRow{"PropertyTheCameraLacks", 2, 0, 2, S_OK, E_PROP_ID_UNSUPPORTED,
                  kBrightnessAsMade},
        ChangeRow{"AutoKeepsTheValue", 14, 999, 1, S_OK, S_OK, {-6, true}},
        ChangeRow{"ManualLeavesAuto", 14, -2, 2, S_OK, S_OK, {-2, false}},
        ChangeRow{"NotSaved", 0, 20, 2, E_ACCESSDENIED, E_ACCESSDENIED, kBrightnessAsMade}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ControlState, TakesBackOnlySettingsItsPropertiesCanHold) {
    vcxcam::ControlState state(twoControls());
    EXPECT_TRUE(state.restore(0, {-20, false}));
    EXPECT_FALSE(state.restore(0, {-21, false})) << "off its steps";
    EXPECT_FALSE(state.restore(0, {20, true})) << "no auto mode";
    EXPECT_FALSE(state.restore(14, {0, true})) << "above the maximum";
    EXPECT_FALSE(state.restore(3, {0, false})) << "a property it lacks";
    EXPECT_EQ(state.setting(0), (ControlSetting{-20, false}));
    EXPECT_EQ(state.setting(14), kExposureAsMade);
}

struct MovementRow {
    const wchar_t* line;
    std::vector<LONG> values; // after each step
};

class AutoMode : public ::testing::TestWithParam<MovementRow> {};

TEST_P(AutoMode, MovesOneStepAFrameBackAndForth) {
    vcxcam::ControlState state(vcxcam::parseControls({GetParam().line}));
    const int number = vcxcam::parseControl(GetParam().line)->number;
    std::vector<LONG> values;
    for (std::size_t i = 0; i < GetParam().values.size(); ++i) {
        state.step();
        values.push_back(state.setting(number)->value);
    }
    EXPECT_EQ(values, GetParam().values);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AutoMode,
    ::testing::Values(MovementRow{L"Exposure 0 3 1 2 both auto", {3, 2, 1, 0, 1, 2, 3, 2}},
                      // The maximum is off the steps: the last step is 6.
                      MovementRow{L"Focus 0 7 2 6 auto", {4, 2, 0, 2, 4, 6, 4}},
                      MovementRow{L"Zoom 5 5 1 5 auto", {5, 5, 5}},
                      MovementRow{L"Exposure 0 3 1 2 both", {2, 2, 2}}));

TEST(ControlState, PictureLevelsAreTheCurrentValuesNeutralWhereMissing) {
    vcxcam::ControlState none(vcxcam::parseControls({L"Exposure 0 3 1 2 both"}));
    EXPECT_EQ(none.pictureLevels(), PictureLevels{});
    vcxcam::ControlState state(vcxcam::parseControls(
        {L"Brightness -64 64 1 7 manual", L"Contrast 0 200 1 90 manual", L"Gain 0 9 1 3 auto"}));
    EXPECT_EQ(state.pictureLevels(), (PictureLevels{7, 90, 3}));
    state.step();
    EXPECT_EQ(state.pictureLevels(), (PictureLevels{7, 90, 4})) << "gain in auto moves";
}

} // namespace
