// The requested format: the setters, the steps shared by the apply, list and
// size operations, vcx_SetDevCapConfig's writes and walk, and vcx_GetCapInfo.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "config_world.h"

#include <dvdmedia.h>

using namespace fakes;
using ::testing::ElementsAre;

namespace {

class CaptureFormat : public ConfigWorld {};

// A failure of the shared steps, for each of the three operations.
struct SharedStepCase {
    const char* name;
    std::function<void(CaptureFormat&)> arrange;
    int expected;
};

struct Operation {
    const char* name;
    std::function<int()> run;
};

char rates[16] = "r";
char widths[16] = "w";
char heights[16] = "h";

const Operation kOperations[] = {
    {"Apply", [] { return vcx_SetDevCapConfig(); }},
    {"Lists", [] { return vcx_GetDevCapConfig(rates, widths, heights); }},
    {"Size", [] { return vcx_GetDevCapConfigSize(0); }},
};

const SharedStepCase kSharedSteps[] = {
    {"ComNotStarted", [](CaptureFormat&) { vcx::library().comInitialized = 0; }, -1},
    {"ClosedSlotHasNoBuilder", [](CaptureFormat&) { vcx_Close(); }, -2},
    {"NoDeviceFilter",
     [](CaptureFormat& t) {
         vcx_Close();
         t.devices[0]->moniker->setResult("BindToObject", E_FAIL);
         vcx_Open(0, CaptureFormat::kNoOutput, 0, 0, 0);
     },
     -3},
    {"NoStreamConfig", [](CaptureFormat& t) { t.builder->found = nullptr; }, -4},
    {"FindInterfaceAnswersSFalse",
     [](CaptureFormat& t) { t.builder->setResult("FindInterface", S_FALSE); }, -4},
};

void PrintTo(const SharedStepCase& step, std::ostream* out) {
    *out << step.name;
}
void PrintTo(const Operation& operation, std::ostream* out) {
    *out << operation.name;
}

class SharedSteps : public CaptureFormat,
                    public ::testing::WithParamInterface<std::tuple<Operation, SharedStepCase>> {};

TEST_P(SharedSteps, FailWithTheirCodeAndTouchNothing) {
    const auto& [operation, step] = GetParam();
    config->capabilities = {videoCapability(640, 480, 333333)};
    open();
    step.arrange(*this);
    journal().clear();
    EXPECT_EQ(operation.run(), step.expected);
    EXPECT_TRUE(journal().matching("config.").size() == journal().matching("config.Release").size())
        << "the stream configuration was used";
    EXPECT_STREQ(rates, "r");
    EXPECT_STREQ(widths, "w");
    EXPECT_STREQ(heights, "h");
    expectEverythingGivenBack();
}

INSTANTIATE_TEST_SUITE_P(Codes, SharedSteps,
                         ::testing::Combine(::testing::ValuesIn(kOperations),
                                            ::testing::ValuesIn(kSharedSteps)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    std::get<1>(info.param).name;
                         });

TEST_F(CaptureFormat, ApplyAsksTheCapturePinOfTheDeviceForItsStreamConfig) {
    config->capabilities = {videoCapability(640, 480, 333333)};
    open();
    EXPECT_EQ(vcx_SetDevCapConfig(), 0);
    EXPECT_THAT(journal().entries(),
                ElementsAre("builder.FindInterface(PIN_CATEGORY_CAPTURE, null, device0, "
                            "IAMStreamConfig)",
                            "config.GetNumberOfCapabilities", "config.GetStreamCaps(0)",
                            "config.SetFormat(0)", "CoTaskMemFree", "CoTaskMemFree",
                            "config.Release"));
    expectEverythingGivenBack();
}

// The interval written for a requested frame rate.
struct RateCase {
    const char* name;
    double rate;
    REFERENCE_TIME interval;
};

void PrintTo(const RateCase& rate, std::ostream* out) {
    *out << rate.name;
}

class FrameInterval : public CaptureFormat, public ::testing::WithParamInterface<RateCase> {};

TEST_P(FrameInterval, IsTheQuotientTruncatedToThirtyTwoBitsAndSignExtended) {
    config->capabilities = {videoCapability(320, 240, 666666), videoCapability(640, 480, 333333)};
    open();
    vcx_SetDevWidth(1280);
    vcx_SetDevHeight(-720);
    vcx_SetDevFrameRate(GetParam().rate);
    ASSERT_EQ(vcx_SetDevCapConfig(), 0);
    ASSERT_EQ(config->setFormats.size(), 2u);
    for (int index = 0; index < 2; ++index) {
        const auto& set = config->setFormats[index];
        EXPECT_EQ(set.capability, index);
        EXPECT_EQ(set.info().AvgTimePerFrame, GetParam().interval);
        EXPECT_EQ(set.info().bmiHeader.biWidth, 1280);
        EXPECT_EQ(set.info().bmiHeader.biHeight, -720);
    }
    expectEverythingGivenBack();
}

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr REFERENCE_TIME kNoInterval = std::numeric_limits<int32_t>::min();

const RateCase kRates[] = {
    {"Rate25", 25.0, 400000},
    {"Rate30DropsTheFraction", 30.0, 333333},
    {"Rate7Point5", 7.5, 1333333},
    {"Rate29Point97", 29.97, 333667},
    {"Rate6DropsTwoThirds", 6.0, 1666666},
    {"NegativeRateTowardZero", -6.0, -1666666},
    {"SlowestRateThatFits", 0.0047, 2127659574},
    {"RateTooSlowForThirtyTwoBits", 0.004, kNoInterval},
    {"NegativeRateTooSlow", -0.0046, kNoInterval},
    {"Zero", 0.0, kNoInterval},
    {"NegativeZero", -0.0, kNoInterval},
    {"NaN", std::nan(""), kNoInterval},
    {"Infinity", kInfinity, 0},
    {"FasterThanOneUnit", 3e7, 0},
};

INSTANTIATE_TEST_SUITE_P(Rates, FrameInterval, ::testing::ValuesIn(kRates),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CaptureFormat, ApplyChangesOnlySizeAndIntervalOfEachFormat) {
    FakeCapability capability = videoCapability(640, 480, 333333);
    capability.formatSize = 100;
    capability.info.dwBitRate = 12345;
    capability.info.rcSource = {1, 2, 3, 4};
    capability.info.bmiHeader.biSizeImage = 640 * 480 * 3;
    config->capabilities = {capability};
    open();
    vcx_SetDevWidth(0);
    vcx_SetDevHeight(0);
    vcx_SetDevFrameRate(0.0);
    ASSERT_EQ(vcx_SetDevCapConfig(), 0);
    ASSERT_EQ(config->setFormats.size(), 1u);
    const auto& set = config->setFormats[0];
    VIDEOINFOHEADER expected = capability.info;
    expected.bmiHeader.biWidth = 0;
    expected.bmiHeader.biHeight = 0;
    expected.AvgTimePerFrame = kNoInterval;
    EXPECT_EQ(std::memcmp(set.block.data(), &expected, sizeof expected), 0);
    EXPECT_EQ(set.type.cbFormat, 100u);
    EXPECT_EQ(set.type.subtype, MEDIASUBTYPE_RGB24);
    EXPECT_EQ(set.type.lSampleSize, 1u);
}

TEST_F(CaptureFormat, RefusedFormatEndsTheWalkWithOne) {
    config->capabilities = {videoCapability(640, 480, 333333), videoCapability(320, 240, 333333),
                            videoCapability(160, 120, 333333)};
    config->setResult("SetFormat(1)", VFW_E_INVALIDMEDIATYPE);
    config->setResult("SetFormat(0)", S_FALSE);
    open();
    EXPECT_EQ(vcx_SetDevCapConfig(), 1);
    EXPECT_EQ(config->setFormats.size(), 2u);
    EXPECT_FALSE(journal().contains("config.GetStreamCaps(2)"));
    EXPECT_EQ(journal().entries().back(), "config.Release");
    expectEverythingGivenBack();
}

// Capabilities the apply, list and size operations pass over.
TEST_F(CaptureFormat, OnlyVideoInfoBlocksOfEightyEightBytesOrMoreAreSet) {
    FakeCapability videoInfo2 = videoCapability(1, 1, 1);
    videoInfo2.formatType = FORMAT_VideoInfo2;
    videoInfo2.formatSize = sizeof(VIDEOINFOHEADER2);
    FakeCapability shortBlock = videoCapability(2, 2, 2);
    shortBlock.formatSize = sizeof(VIDEOINFOHEADER) - 1;
    FakeCapability noBlock = videoCapability(3, 3, 3);
    noBlock.withBlock = false;
    FakeCapability failing = videoCapability(4, 4, 4);
    FakeCapability answeredSFalse = videoCapability(5, 5, 5);
    config->capabilities = {videoInfo2, shortBlock, noBlock, failing, answeredSFalse};
    config->setResult("GetStreamCaps(3)", E_FAIL);
    config->setResult("GetStreamCaps(4)", S_FALSE);
    open();
    EXPECT_EQ(vcx_SetDevCapConfig(), 0);
    ASSERT_EQ(config->setFormats.size(), 1u);
    EXPECT_EQ(config->setFormats[0].capability, 4);
    expectEverythingGivenBack();
}

TEST_F(CaptureFormat, CapsSizeOtherThan128OrNoCountVisitsNothing) {
    config->capabilities = {videoCapability(640, 480, 333333)};
    open();
    for (auto [count, size] : std::initializer_list<std::pair<int, int>>{
             {1, 127}, {1, 129}, {1, 0}, {0, 128}, {-5, 128}}) {
        config->count = count;
        config->capsSize = size;
        EXPECT_EQ(vcx_SetDevCapConfig(), 0);
        EXPECT_EQ(vcx_GetDevCapConfigSize(0), 1);
    }
    EXPECT_TRUE(journal().matching("GetStreamCaps").empty());
    config->setResult("GetNumberOfCapabilities", E_FAIL);
    config->count.reset();
    config->capsSize = 128;
    EXPECT_EQ(vcx_SetDevCapConfig(), 0);
    EXPECT_EQ(config->setFormats.size(), 1u) << "the count's result is not examined";
    expectEverythingGivenBack();
}

// vcx_GetCapInfo: the field of capability 0 per code, and every failure.
struct CapInfoCase {
    const char* name;
    std::function<void(CaptureFormat&)> arrange;
    int code;
    int expected;
};

void PrintTo(const CapInfoCase& info, std::ostream* out) {
    *out << info.name;
}

class CapInfo : public CaptureFormat, public ::testing::WithParamInterface<CapInfoCase> {};

TEST_P(CapInfo, ReturnsTheFieldOrItsCodeAndGivesEverythingBack) {
    FakeCapability first = videoCapability(-640, -480, 0x100000005LL);
    first.info.dwBitRate = 0x80000001u;
    first.info.dwBitErrorRate = 17;
    first.info.bmiHeader.biCompression = MAKEFOURCC('Y', 'U', 'Y', '2');
    config->capabilities = {first, videoCapability(1, 1, 1)};
    open();
    GetParam().arrange(*this);
    EXPECT_EQ(vcx_GetCapInfo(GetParam().code), GetParam().expected);
    EXPECT_FALSE(journal().contains("config.GetStreamCaps(1)"));
    expectEverythingGivenBack();
}

void nothing(CaptureFormat&) {}

const CapInfoCase kCapInfo[] = {
    {"Width", nothing, 0, -640},
    {"TopDownHeight", nothing, 1, -480},
    {"BitRateAboveTwoToThe31IsNegative", nothing, 2, static_cast<int>(0x80000001u)},
    {"BitErrorRate", nothing, 3, 17},
    {"LowBitsOfTheInterval", nothing, 4, 5},
    {"FourCC", nothing, 5, static_cast<int>(MAKEFOURCC('Y', 'U', 'Y', '2'))},
    {"OtherCodeAsksForNoCapability", nothing, 6, 0},
    {"NegativeCode", nothing, -1, 0},
    {"ClosedSlot", [](CaptureFormat&) { vcx_Close(); }, 0, -1},
    {"NoBuilder", [](CaptureFormat&) { dropField(vcx::activeSlot().captureBuilder); }, 0, -3},
    {"NoDeviceFilterFailsTheSearch",
     [](CaptureFormat&) { dropField(vcx::activeSlot().sourceFilter); }, 0, -4},
    {"CapsSizeNot128", [](CaptureFormat& t) { t.config->capsSize = 64; }, 0, -5},
    {"NoCapabilities", [](CaptureFormat& t) { t.config->count = 0; }, 0, 0},
    {"NoBlock", [](CaptureFormat& t) { t.config->capabilities[0].withBlock = false; }, 0, 0},
    {"ShortBlock", [](CaptureFormat& t) { t.config->capabilities[0].formatSize = 87; }, 1, 0},
    {"VideoInfo2",
     [](CaptureFormat& t) { t.config->capabilities[0].formatType = FORMAT_VideoInfo2; }, 0, 0},
};

INSTANTIATE_TEST_SUITE_P(Codes, CapInfo, ::testing::ValuesIn(kCapInfo),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

namespace {

// Open with a requested format: whether it applies it, and where among its steps.
struct OpenFormatCase {
    const char* name;
    int width;
    int height;
    double rate;
    std::size_t formatsSet;
    REFERENCE_TIME interval;
};

void PrintTo(const OpenFormatCase& row, std::ostream* out) {
    *out << row.name;
}

class OpenWithFormat : public CaptureFormat,
                       public ::testing::WithParamInterface<OpenFormatCase> {};

TEST_P(OpenWithFormat, AppliesItBetweenDeviceAndOutput) {
    const OpenFormatCase& row = GetParam();
    config->capabilities = {videoCapability(640, 480, 333333), videoCapability(320, 240, 666666)};
    vcx_SetDevWidth(row.width);
    vcx_SetDevHeight(row.height);
    vcx_SetDevFrameRate(row.rate);

    EXPECT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);

    EXPECT_EQ(vcx_GetRef(), 2);
    ASSERT_EQ(config->setFormats.size(), row.formatsSet);
    for (const auto& set : config->setFormats) {
        EXPECT_EQ(set.info().bmiHeader.biWidth, row.width);
        EXPECT_EQ(set.info().bmiHeader.biHeight, row.height);
        EXPECT_EQ(set.info().AvgTimePerFrame, row.interval);
    }
    const int find = journal().indexOf(
        "builder.FindInterface(PIN_CATEGORY_CAPTURE, null, device0, IAMStreamConfig)");
    if (row.width == 0 && row.height == 0 && row.rate == 0.0) {
        EXPECT_EQ(find, -1) << "nothing requested, nothing applied";
    } else if (find >= 0) {
        EXPECT_GT(find, journal().indexOf("graph.AddFilter(Device Filter)"));
    }
    EXPECT_GT(journal().indexOf("graph.QueryInterface(IVideoWindow)"), find);
    vcx_Close();
    expectSlotEmpty(vcx::activeSlot());
    expectAllReleased();
    expectEverythingGivenBack();
}

const OpenFormatCase kOpenFormats[] = {
    {"NothingRequested", 0, 0, 0.0, 0, 0},
    {"OnlyTheFrameRate", 0, 0, 30.0, 2, 333333},
    {"SizeWithoutRateWritesTheSmallestInterval", 640, 480, 0.0, 2, kNoInterval},
    {"NaNRate", 0, 0, std::nan(""), 2, kNoInterval},
};

INSTANTIATE_TEST_SUITE_P(Requests, OpenWithFormat, ::testing::ValuesIn(kOpenFormats),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CaptureFormat, RequestAppliesAgainAtTheNextOpen) {
    config->capabilities = {videoCapability(640, 480, 333333)};
    vcx_SetDevFrameRate(25.0);
    ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    ASSERT_EQ(vcx_Close(), 0);
    ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    EXPECT_EQ(config->setFormats.size(), 2u);
}

} // namespace
