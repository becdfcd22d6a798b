// The capability exports: vcx_GetDevFormatList's layout and size, the choice
// of one capability by vcx_SetDevFormat (now and at later opens), and the
// format in use that vcx_GetDevFormat reports.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>

#include "config_world.h"
#include "fakes/fake_pins.h"

#include <dvdmedia.h>
#include <uuids.h>

using namespace fakes;

namespace {

constexpr DWORD fourcc(char a, char b, char c, char d) {
    return static_cast<DWORD>(a) | static_cast<DWORD>(b) << 8 | static_cast<DWORD>(c) << 16 |
           static_cast<DWORD>(d) << 24;
}

// A subtype of the FourCC family.
GUID fourccSubtype(DWORD code) {
    GUID subtype = MEDIASUBTYPE_YUY2;
    subtype.Data1 = code;
    return subtype;
}

FakeCapability withSubtype(FakeCapability capability, const GUID& subtype, DWORD compression,
                           WORD bitCount) {
    capability.subtype = subtype;
    capability.info.bmiHeader.biCompression = compression;
    capability.info.bmiHeader.biBitCount = bitCount;
    return capability;
}

FakeCapability withRange(FakeCapability capability, REFERENCE_TIME min, REFERENCE_TIME max) {
    capability.minFrameInterval = min;
    capability.maxFrameInterval = max;
    return capability;
}

class Capabilities : public ConfigWorld {
  protected:
    Capabilities() { builder->capturePin = capturePin.get(); }
    std::vector<FakeCom*> everyFake() const override {
        std::vector<FakeCom*> fakes = ConfigWorld::everyFake();
        fakes.insert(fakes.end(), {capturePin.get(), previewPin.get()});
        return fakes;
    }

    // The list appended after before, checked against its size query.
    std::string listAfter(const std::string& before, int expectedLines) {
        const int size = vcx_GetDevFormatListSize();
        EXPECT_GT(size, 0);
        std::vector<char> buffer(before.size() + static_cast<std::size_t>(size) + 8, 'x');
        std::memcpy(buffer.data(), before.c_str(), before.size() + 1);
        EXPECT_EQ(vcx_GetDevFormatList(buffer.data()), expectedLines);
        const std::string text = buffer.data();
        EXPECT_EQ(text.size() + 1, before.size() + static_cast<std::size_t>(size))
            << "the size query and the list disagree";
        EXPECT_EQ(buffer[text.size() + 1], 'x') << "written past the list";
        return text.substr(before.size());
    }

  public:
    Held<FakePin> capturePin{"capturePin"};
    Held<FakePin> previewPin{"previewPin"};
};

// --- The list ------------------------------------------------------------------

struct LineCase {
    const char* name;
    std::function<FakeCapability()> capability;
    const char* line;
    HRESULT capsResult = S_OK;
};

void PrintTo(const LineCase& row, std::ostream* out) {
    *out << row.name;
}

class ListLine : public Capabilities, public ::testing::WithParamInterface<LineCase> {};

// Each capability is listed second, after a plain one, so that its line
// carries index 1.
TEST_P(ListLine, DescribesTheCapability) {
    config->capabilities = {videoCapability(640, 480, 333333), GetParam().capability()};
    config->setResult("GetStreamCaps(1)", GetParam().capsResult);
    open();
    EXPECT_EQ(listAfter("", 2), std::string("0,RGB24,VideoInfo,640,480,24,30.00,30.00,30.00\r\n") +
                                    GetParam().line + "\r\n");
    expectEverythingGivenBack();
}

const GUID kMpeg2Video = {
    0xe06d80e3, 0xdb46, 0x11cf, {0xb4, 0xd1, 0x00, 0x80, 0x5f, 0x6c, 0xbb, 0xea}};
const GUID kOddSubtype = {
    0x12345678, 0x9abc, 0xdef0, {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef}};

const LineCase kLines[] = {
    {"Yuy2",
     [] {
         return withSubtype(videoCapability(320, 240, 666666), MEDIASUBTYPE_YUY2,
                            fourcc('Y', 'U', 'Y', '2'), 16);
     },
     "1,YUY2,VideoInfo,320,240,16,15.00,15.00,15.00"},
    {"MjpgInVideoInfo2",
     [] {
         return videoInfo2Capability(fourccSubtype(fourcc('M', 'J', 'P', 'G')),
                                     fourcc('M', 'J', 'P', 'G'), 24, 1920, 1080, 333333);
     },
     "1,MJPG,VideoInfo2,1920,1080,24,30.00,30.00,30.00"},
    {"H264WithARange",
     [] {
         return withRange(withSubtype(videoCapability(1280, 720, 166667),
                                      fourccSubtype(fourcc('H', '2', '6', '4')),
                                      fourcc('H', '2', '6', '4'), 24),
                          166667, 2000000);
     },
     "1,H264,VideoInfo,1280,720,24,5.00,60.00,60.00"},
    {"RangeGivenTheOtherWayRound",
     [] { return withRange(videoCapability(320, 180, 0), 10000000, 166666); },
     "1,RGB24,VideoInfo,320,180,24,1.00,60.00,0.00"},
    {"NoRateReported", [] { return withRange(videoCapability(640, -480, 0), 0, 0); },
     "1,RGB24,VideoInfo,640,-480,24,0.00,0.00,0.00"},
    {"Rgb32",
     [] { return withSubtype(videoCapability(64, 48, 400000), MEDIASUBTYPE_RGB32, BI_RGB, 32); },
     "1,RGB32,VideoInfo,64,48,32,25.00,25.00,25.00"},
    {"UnnamedSubtypeAsItsGuid",
     [] { return withSubtype(videoCapability(8, 8, 333333), kOddSubtype, 0, 8); },
     "1,{12345678-9ABC-DEF0-0123-456789ABCDEF},VideoInfo,8,8,8,30.00,30.00,30.00"},
    {"FourccWithACommaAsItsGuid",
     [] {
         return withSubtype(videoCapability(8, 8, 333333),
                            fourccSubtype(fourcc('A', ',', 'B', 'C')), 0, 8);
     },
     "1,{43422C41-0000-0010-8000-00AA00389B71},VideoInfo,8,8,8,30.00,30.00,30.00"},
    {"OtherFormatTypeHasNoSize",
     [] {
         FakeCapability capability = videoCapability(720, 576, 400000);
         capability.formatType = kMpeg2Video;
         return capability;
     },
     "1,RGB24,{E06D80E3-DB46-11CF-B4D1-00805F6CBBEA},0,0,0,25.00,25.00,0.00"},
    {"ShortVideoInfo2Block",
     [] {
         FakeCapability capability = videoInfo2Capability(
             MEDIASUBTYPE_NV12, fourcc('N', 'V', '1', '2'), 12, 64, 48, 333333);
         capability.formatSize = sizeof(VIDEOINFOHEADER2) - 1;
         return capability;
     },
     "1,NV12,VideoInfo2,0,0,0,30.00,30.00,0.00"},
    {"NoBlock",
     [] {
         FakeCapability capability = videoCapability(64, 48, 333333);
         capability.withBlock = false;
         return capability;
     },
     "1,RGB24,VideoInfo,0,0,0,30.00,30.00,0.00"},
    {"NotDescribedIsAnEmptyLine", [] { return videoCapability(64, 48, 333333); }, "", E_FAIL},
};

INSTANTIATE_TEST_SUITE_P(Lines, ListLine, ::testing::ValuesIn(kLines),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Capabilities, ListFollowsTheTextAlreadyThereAndCountsEveryIndex) {
    config->capabilities = {videoCapability(640, 480, 333333), videoCapability(320, 240, 333333)};
    config->count = 3; // one more than the device can describe
    open();
    EXPECT_EQ(listAfter("kept\r\n", 3), "0,RGB24,VideoInfo,640,480,24,30.00,30.00,30.00\r\n"
                                        "1,RGB24,VideoInfo,320,240,24,30.00,30.00,30.00\r\n"
                                        "\r\n");
    EXPECT_EQ(vcx_GetDevFormatListSize(), 48 + 48 + 2 + 1);
    expectEverythingGivenBack();
}

// --- Codes shared by the three exports -------------------------------------------

struct CodeCase {
    const char* name;
    std::function<void(Capabilities&)> arrange;
    int list, size, choose, inUse;
};

void PrintTo(const CodeCase& row, std::ostream* out) {
    *out << row.name;
}

class Codes : public Capabilities, public ::testing::WithParamInterface<CodeCase> {};

TEST_P(Codes, AnswerTheirCodeAndTouchNothingOnAFailure) {
    const CodeCase& row = GetParam();
    config->capabilities = {videoCapability(640, 480, 333333)};
    open();
    row.arrange(*this);
    char buffer[256] = "before";
    int numbers[4] = {7, 7, 7, 7};
    double rate = 7.0;
    EXPECT_EQ(vcx_GetDevFormatList(buffer), row.list);
    EXPECT_EQ(vcx_GetDevFormatListSize(), row.size);
    EXPECT_EQ(vcx_SetDevFormat(0, 0.0), row.choose);
    EXPECT_EQ(vcx_GetDevFormat(&numbers[0], &numbers[1], &numbers[2], &numbers[3], &rate),
              row.inUse);
    if (row.list < 0) {
        EXPECT_STREQ(buffer, "before");
    }
    if (row.choose < 0) {
        EXPECT_TRUE(config->setFormats.empty()) << "the format in force changed";
        EXPECT_FALSE(vcx::activeSlot().formatChosen);
    }
    if (row.inUse < 0) {
        EXPECT_EQ(numbers[0] + numbers[1] + numbers[2] + numbers[3], 28);
        EXPECT_EQ(rate, 7.0);
    }
    expectEverythingGivenBack();
}

const CodeCase kCodes[] = {
    {"ClosedSlot", [](Capabilities&) { vcx_Close(); }, -1, -1, -1, -1},
    {"NoBuilder", [](Capabilities&) { dropField(vcx::activeSlot().captureBuilder); }, -2, -2, -2,
     -2},
    {"NoDeviceFilter", [](Capabilities&) { dropField(vcx::activeSlot().sourceFilter); }, -2, -2, -2,
     -2},
    {"Running", [](Capabilities&) { vcx::activeSlot().state = vcx::kSlotRunning; }, 1, 49, -3, 2},
    {"NoStreamConfig", [](Capabilities& t) { t.builder->found = nullptr; }, -4, -4, -4, -5},
    {"FindInterfaceAnswersSFalse",
     [](Capabilities& t) { t.builder->setResult("FindInterface", S_FALSE); }, -4, -4, -4, -5},
    {"CapsNotVideo", [](Capabilities& t) { t.config->capsSize = 56; }, -5, -5, -5, 2},
    {"CountFails", [](Capabilities& t) { t.config->setResult("GetNumberOfCapabilities", E_FAIL); },
     -5, -5, -5, 2},
    {"NoCapturePin", [](Capabilities& t) { t.builder->capturePin = nullptr; }, 1, 49, 0, -4},
};

INSTANTIATE_TEST_SUITE_P(Exports, Codes, ::testing::ValuesIn(kCodes),
                         [](const auto& info) { return std::string(info.param.name); });

// --- The choice ------------------------------------------------------------------

struct ChoiceCase {
    const char* name;
    int index;
    double rate;
    int expected;
    REFERENCE_TIME interval; // the interval set, when expected is 0
    std::function<void(Capabilities&)> arrange = [](Capabilities&) {};
};

void PrintTo(const ChoiceCase& row, std::ostream* out) {
    *out << row.name;
}

class Choice : public Capabilities, public ::testing::WithParamInterface<ChoiceCase> {};

// Capability 1 allows 5 to 60 frames per second, 30 its own; capability 2 is
// an NV12 VIDEOINFOHEADER2 of 15.
TEST_P(Choice, SetsExactlyThatCapabilityOrNothing) {
    const ChoiceCase& row = GetParam();
    config->capabilities = {
        videoCapability(640, 480, 333333),
        withRange(withSubtype(videoCapability(1920, 1080, 333333),
                              fourccSubtype(fourcc('M', 'J', 'P', 'G')), fourcc('M', 'J', 'P', 'G'),
                              24),
                  166667, 2000000),
        videoInfo2Capability(MEDIASUBTYPE_NV12, fourcc('N', 'V', '1', '2'), 12, 1280, 720, 666667)};
    open();
    row.arrange(*this);
    journal().clear();
    EXPECT_EQ(vcx_SetDevFormat(row.index, row.rate), row.expected);
    const vcx::CaptureSlot& slot = vcx::activeSlot();
    if (row.expected == 0) {
        ASSERT_EQ(config->setFormats.size(), 1u);
        const auto& set = config->setFormats[0];
        EXPECT_EQ(set.capability, row.index);
        EXPECT_EQ(set.type.subtype,
                  config->capabilities[static_cast<std::size_t>(row.index)].subtype);
        const REFERENCE_TIME written =
            set.type.formattype == FORMAT_VideoInfo2
                ? reinterpret_cast<const VIDEOINFOHEADER2*>(set.block.data())->AvgTimePerFrame
                : set.info().AvgTimePerFrame;
        EXPECT_EQ(written, row.interval);
        EXPECT_TRUE(slot.formatChosen);
        EXPECT_EQ(slot.chosenFormat, row.index);
        EXPECT_EQ(slot.chosenFrameRate, row.rate);
    } else {
        EXPECT_TRUE(journal().matching("config.SetFormat").size() ==
                    (row.expected == -8 ? 1u : 0u));
        EXPECT_FALSE(slot.formatChosen) << "a failed choice was kept";
    }
    expectEverythingGivenBack();
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

const ChoiceCase kChoices[] = {
    {"OwnRate", 1, 0.0, 0, 333333},
    {"RateWithinTheRange", 1, 15.0, 0, 666667},
    {"FastestRate", 1, 60.0, 0, 166667},
    {"SlowestRate", 1, 5.0, 0, 2000000},
    {"TheOtherBlock", 2, 0.0, 0, 666667},
    {"RateIntoAVideoInfo2Block", 2, 15.0, 0, 666667,
     [](Capabilities& t) {
         t.config->capabilities[2] = withRange(t.config->capabilities[2], 333333, 666667);
     }},
    {"RangeTheOtherWayRound", 1, 10.0, 0, 1000000,
     [](Capabilities& t) {
         t.config->capabilities[1] = withRange(t.config->capabilities[1], 2000000, 166667);
     }},
    {"FasterThanTheRange", 1, 61.0, -6, 0},
    {"SlowerThanTheRange", 1, 4.99, -6, 0},
    {"RateOfACapabilityWithoutRange", 0, 25.0, -6, 0},
    {"NegativeRate", 1, -30.0, -6, 0},
    {"NaNRate", 1, kNaN, -6, 0},
    {"InfiniteRate", 1, kInfinity, -6, 0},
    {"AbsurdlySlowRate", 1, 1e-300, -6, 0},
    {"RateOfATypeWithoutBlock", 1, 30.0, -6, 0,
     [](Capabilities& t) { t.config->capabilities[1].withBlock = false; }},
    {"IndexPastTheList", 3, 0.0, -5, 0},
    {"IndexBelowMinusOne", -2, 0.0, -5, 0},
    {"IndexPastACountOfNone", 0, 0.0, -5, 0, [](Capabilities& t) { t.config->count = 0; }},
    {"NotDescribed", 1, 0.0, -7, 0,
     [](Capabilities& t) { t.config->setResult("GetStreamCaps(1)", E_FAIL); }},
    {"Refused", 1, 0.0, -8, 0,
     [](Capabilities& t) { t.config->setResult("SetFormat(1)", VFW_E_INVALIDMEDIATYPE); }},
};

INSTANTIATE_TEST_SUITE_P(Choices, Choice, ::testing::ValuesIn(kChoices),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Capabilities, ChoiceAppliesAgainAtEveryOpenInsteadOfTheRequestedFormat) {
    config->capabilities = {videoCapability(640, 480, 333333),
                            withRange(videoCapability(320, 240, 333333), 333333, 666667)};
    open();
    ASSERT_EQ(vcx_SetDevFormat(1, 15.0), 0);
    ASSERT_EQ(vcx_SetDevFormat(0, -1.0), -6) << "a failed choice keeps the one before";
    ASSERT_EQ(vcx_Close(), 0);
    vcx_SetDevWidth(1280);
    vcx_SetDevHeight(720);
    vcx_SetDevFrameRate(60.0);
    config->setFormats.clear();
    ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    ASSERT_EQ(config->setFormats.size(), 1u) << "only the chosen capability is set";
    EXPECT_EQ(config->setFormats[0].capability, 1);
    EXPECT_EQ(config->setFormats[0].info().AvgTimePerFrame, 666667);
    EXPECT_EQ(config->setFormats[0].info().bmiHeader.biWidth, 320);

    // Forgotten in any state: the next open applies the requested format.
    ASSERT_EQ(vcx_Close(), 0);
    EXPECT_EQ(vcx_SetDevFormat(-1, 0.0), 0);
    config->setFormats.clear();
    ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    ASSERT_EQ(config->setFormats.size(), 2u);
    EXPECT_EQ(config->setFormats[1].info().bmiHeader.biWidth, 1280);
    vcx_Close();
    expectEverythingGivenBack();
}

// Open with a kept choice the device does not take.
struct OpenChoiceCase {
    const char* name;
    std::function<void(Capabilities&)> arrange;
    int expected;
};

void PrintTo(const OpenChoiceCase& row, std::ostream* out) {
    *out << row.name;
}

class OpenWithChoice : public Capabilities, public ::testing::WithParamInterface<OpenChoiceCase> {};

TEST_P(OpenWithChoice, ReportsItAsOpenReportsARefusedFormat) {
    config->capabilities = {videoCapability(640, 480, 333333),
                            withRange(videoCapability(320, 240, 333333), 333333, 666667)};
    open();
    ASSERT_EQ(vcx_SetDevFormat(1, 15.0), 0);
    ASSERT_EQ(vcx_Close(), 0);
    GetParam().arrange(*this);
    EXPECT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), GetParam().expected);
    EXPECT_EQ(vcx_GetRef(), GetParam().expected < 0 ? 0 : 2);
    EXPECT_TRUE(vcx::activeSlot().formatChosen) << "open keeps the choice";
    vcx_Close();
    expectEverythingGivenBack();
}

const OpenChoiceCase kOpenChoices[] = {
    {"Taken", [](Capabilities&) {}, 0},
    {"AnotherDeviceWithFewerCapabilities",
     [](Capabilities& t) { t.config->capabilities.resize(1); }, 1},
    {"RateNoLongerInTheRange",
     [](Capabilities& t) { t.config->capabilities[1] = videoCapability(320, 240, 333333); }, 1},
    {"NotDescribed", [](Capabilities& t) { t.config->setResult("GetStreamCaps(1)", E_FAIL); }, 1},
    {"Refused", [](Capabilities& t) { t.config->setResult("SetFormat(1)", E_FAIL); }, 1},
    {"NoStreamConfig", [](Capabilities& t) { t.builder->found = nullptr; }, -57},
};

INSTANTIATE_TEST_SUITE_P(Opens, OpenWithChoice, ::testing::ValuesIn(kOpenChoices),
                         [](const auto& info) { return std::string(info.param.name); });

// --- The format in use -------------------------------------------------------------

struct InUseCase {
    const char* name;
    std::function<void(Capabilities&)> arrange;
    int expected;
    int fourcc = 0, bitCount = 0, width = 0, height = 0;
    double rate = 0.0;
};

void PrintTo(const InUseCase& row, std::ostream* out) {
    *out << row.name;
}

class FormatInUse : public Capabilities, public ::testing::WithParamInterface<InUseCase> {};

TEST_P(FormatInUse, ReadsTheConnectedPinFirst) {
    const InUseCase& row = GetParam();
    config->capabilities = {videoCapability(640, 480, 333333)};
    open();
    builder->previewPin = previewPin.get();
    row.arrange(*this);
    int numbers[4] = {7, 7, 7, 7};
    double rate = 7.0;
    EXPECT_EQ(vcx_GetDevFormat(&numbers[0], &numbers[1], &numbers[2], &numbers[3], &rate),
              row.expected);
    if (row.expected >= 0) {
        EXPECT_EQ(numbers[0], row.fourcc);
        EXPECT_EQ(numbers[1], row.bitCount);
        EXPECT_EQ(numbers[2], row.width);
        EXPECT_EQ(numbers[3], row.height);
        EXPECT_DOUBLE_EQ(rate, row.rate);
    } else {
        EXPECT_EQ(numbers[0] + numbers[1] + numbers[2] + numbers[3], 28) << "written on a failure";
        EXPECT_EQ(rate, 7.0);
    }
    expectEverythingGivenBack();
}

const InUseCase kInUse[] = {
    {"CapturePinConnected",
     [](Capabilities& t) {
         t.capturePin->connection =
             videoInfo2Capability(fourccSubtype(fourcc('M', 'J', 'P', 'G')),
                                  fourcc('M', 'J', 'P', 'G'), 24, 1920, 1080, 333667);
         t.previewPin->connection = videoCapability(320, 240, 666666);
     },
     0, static_cast<int>(fourcc('M', 'J', 'P', 'G')), 24, 1920, 1080, 10000000.0 / 333667},
    {"OnlyThePreviewPinConnected",
     [](Capabilities& t) {
         t.previewPin->connection = withSubtype(videoCapability(320, 240, 400000),
                                                MEDIASUBTYPE_YUY2, fourcc('Y', 'U', 'Y', '2'), 16);
     },
     1, static_cast<int>(fourcc('Y', 'U', 'Y', '2')), 16, 320, 240, 25.0},
    {"NothingConnectedReadsTheStreamConfig", [](Capabilities&) {}, 2, BI_RGB, 24, 640, 480,
     10000000.0 / 333333},
    {"NoPreviewPin", [](Capabilities& t) { t.builder->previewPin = nullptr; }, 2, BI_RGB, 24, 640,
     480, 10000000.0 / 333333},
    {"RgbSubtypeGivesItsCompression",
     [](Capabilities& t) {
         t.capturePin->connection =
             withSubtype(videoCapability(64, -48, 400000), MEDIASUBTYPE_RGB32, BI_RGB, 32);
     },
     0, BI_RGB, 32, 64, -48, 25.0},
    {"NoIntervalIsNoRate",
     [](Capabilities& t) { t.capturePin->connection = videoCapability(320, 180, 0); }, 0, BI_RGB,
     24, 320, 180, 0.0},
    {"NotAVideoBlock",
     [](Capabilities& t) {
         FakeCapability other = videoCapability(64, 48, 333333);
         other.formatType = FORMAT_WaveFormatEx;
         t.capturePin->connection = other;
     },
     -6},
    {"NothingConnectedAndNoFormatReported",
     [](Capabilities& t) { t.config->setResult("GetFormat", E_NOTIMPL); }, -5},
    {"ConnectionTypeFails",
     [](Capabilities& t) {
         t.capturePin->connection = videoCapability(1, 1, 1);
         t.capturePin->setResult("ConnectionMediaType", E_FAIL);
     },
     2, BI_RGB, 24, 640, 480, 10000000.0 / 333333},
    {"FindPinFails", [](Capabilities& t) { t.builder->setResult("FindPin", E_FAIL); }, -4},
};

INSTANTIATE_TEST_SUITE_P(Sources, FormatInUse, ::testing::ValuesIn(kInUse),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Capabilities, FormatInUseFollowsTheChoiceAndRefusesANullPointer) {
    config->capabilities = {videoCapability(640, 480, 333333),
                            withRange(videoCapability(320, 240, 333333), 333333, 666667)};
    open();
    ASSERT_EQ(vcx_SetDevFormat(1, 15.0), 0);
    int fourccOut = 0, bits = 0, width = 0, height = 0;
    double rate = 0.0;
    EXPECT_EQ(vcx_GetDevFormat(&fourccOut, &bits, &width, &height, &rate), 2);
    EXPECT_EQ(width, 320);
    EXPECT_DOUBLE_EQ(rate, 10000000.0 / 666667);
    EXPECT_EQ(vcx_GetDevFormat(&fourccOut, &bits, &width, nullptr, &rate), -3);
    EXPECT_EQ(vcx_GetDevFormat(&fourccOut, &bits, &width, &height, nullptr), -3);
    expectEverythingGivenBack();
}

} // namespace
