// vcxcap-cli's text handling and result messages: name lists split as the
// library writes them, arguments converted without a silent stand-in, and
// each export's codes read from its own table.
#include <gtest/gtest.h>

#include "commands.h"
#include "device_controls.h"
#include "device_formats.h"
#include "events.h"
#include "results.h"
#include "session.h"
#include "text.h"

#include <windows.h>

#include <climits>
#include <optional>
#include <string>
#include <vector>

namespace {

struct ListCase {
    const char* text;
    std::optional<std::vector<std::string>> entries;
};

class NameLists : public ::testing::TestWithParam<ListCase> {};

TEST_P(NameLists, SplitAtEachCrLf) {
    EXPECT_EQ(cli::splitNameList(GetParam().text), GetParam().entries);
}

using Entries = std::vector<std::string>;
INSTANTIATE_TEST_SUITE_P(Layouts, NameLists,
                         ::testing::Values(ListCase{"", Entries{}},
                                           ListCase{"a b\r\n", Entries{"a b"}},
                                           ListCase{"\r\nx\r\n\r\n", Entries{"", "x", ""}},
                                           ListCase{"a\rb\nc\r\n", Entries{"a\rb\nc"}},
                                           ListCase{"a\r\nb", std::nullopt},
                                           ListCase{"a\r", std::nullopt}));

// What the snapshot path becomes in the ANSI code page: exactly the same
// characters, or nothing.
struct PathCase {
    const char* utf8;
    std::optional<std::wstring> wide; // the same text as UTF-16, nothing when not UTF-8
    bool ansi;                        // whether it has an exact ANSI form on code page 1252
};

class Arguments : public ::testing::TestWithParam<PathCase> {};

TEST_P(Arguments, ConvertExactlyOrNotAtAll) {
    const PathCase& row = GetParam();
    EXPECT_EQ(cli::wideFromUtf8(row.utf8), row.wide);
    if (GetACP() != 1252) {
        GTEST_SKIP() << "the ANSI rows are for code page 1252, this is " << GetACP();
    }
    const std::optional<std::string> ansi = cli::ansiFromUtf8(row.utf8);
    ASSERT_EQ(ansi.has_value(), row.ansi);
    if (ansi) {
        EXPECT_EQ(cli::utf8FromAnsi(*ansi), row.utf8) << "round trip";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Arguments,
    ::testing::Values(PathCase{"C:\\snap.bmp", L"C:\\snap.bmp", true},
                      PathCase{"caf\xc3\xa9.bmp", L"caf\u00e9.bmp", true},
                      // U+0101 has a best-fit 'a' in 1252: another file's name.
                      PathCase{"\xc4\x81.bmp", L"\u0101.bmp", false},
                      PathCase{"\xe2\x98\x83.bmp", L"\u2603.bmp", false},
                      PathCase{"bad\xff.bmp", std::nullopt, false},
                      PathCase{"", std::wstring(), true}));

struct ResultCase {
    const char* exportName;
    int result;
    const char* message;
};

class ResultMessages : public ::testing::TestWithParam<ResultCase> {};

TEST_P(ResultMessages, NameTheExportTheCodeAndItsMeaning) {
    EXPECT_EQ(cli::describeResult(GetParam().exportName, GetParam().result), GetParam().message);
}

// The same number means something else in each export.
INSTANTIATE_TEST_SUITE_P(
    Codes, ResultMessages,
    ::testing::Values(
        ResultCase{"vcx_GetDeviceList", -3, "vcx_GetDeviceList answered -3: no buffer was passed"},
        ResultCase{"vcx_GetCodecList", -3,
                   "vcx_GetCodecList answered -3: there is no compressor in the category"},
        ResultCase{"vcx_Open", -3,
                   "vcx_Open answered -3: there is no video capture device (no enumerator for "
                   "the category)"},
        ResultCase{"vcx_SaveBMP", -10,
                   "vcx_SaveBMP answered -10: a write failed or fell short; the partial file "
                   "was deleted"},
        ResultCase{"vcx_Init", static_cast<int>(0x80010106),
                   "vcx_Init answered -2147417850: COM refused to start on this thread "
                   "(HRESULT 0x80010106)"},
        ResultCase{"vcx_Init", -1,
                   "vcx_Init answered -1: vcx_Init already ran without vcx_Exit since"},
        ResultCase{"vcx_Stop", -3, "vcx_Stop answered -3: a result this tool does not know"},
        ResultCase{"vcx_Nothing", -1, "vcx_Nothing answered -1: a result this tool does not know"},
        ResultCase{"vcx_WaitFrame", -4, "vcx_WaitFrame answered -4: the device has been lost"},
        ResultCase{"vcx_GetDroppedFrames", -3,
                   "vcx_GetDroppedFrames answered -3: the device offers no IAMDroppedFrames on "
                   "its capture pin"},
        ResultCase{"vcx_SetAudioDevice", -5,
                   "vcx_SetAudioDevice answered -5: the index is not less than the number of "
                   "audio capture devices"},
        ResultCase{"vcx_SetAudioFormat", -3,
                   "vcx_SetAudioFormat answered -3: the bits per sample are not 8, 16, 24 or 32"},
        ResultCase{"vcx_Open", 2,
                   "vcx_Open answered 2: the audio device refused the requested audio format; "
                   "it records in its own"}));

struct AudioFormatCase {
    const char* text;
    std::optional<cli::AudioFormatRequest> format;
};

class AudioFormatArguments : public ::testing::TestWithParam<AudioFormatCase> {};

TEST_P(AudioFormatArguments, AreThreeNumbersBetweenCommas) {
    EXPECT_EQ(cli::parseAudioFormat(GetParam().text), GetParam().format);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, AudioFormatArguments,
    ::testing::Values(
        AudioFormatCase{"48000,2,16", cli::AudioFormatRequest{48000, 2, 16}},
        AudioFormatCase{"8000,1,8", cli::AudioFormatRequest{8000, 1, 8}},
        // Ranges are the library's to check.
        AudioFormatCase{"0,0,0", cli::AudioFormatRequest{0, 0, 0}},
        AudioFormatCase{"48000,2", std::nullopt}, AudioFormatCase{"48000,2,16,", std::nullopt},
        AudioFormatCase{"48000,,16", std::nullopt}, AudioFormatCase{"48000, 2,16", std::nullopt},
        AudioFormatCase{"-1,2,16", std::nullopt}, AudioFormatCase{"9999999999,2,16", std::nullopt},
        AudioFormatCase{"", std::nullopt}));

// What the tool says of a graph event, and which events end a capture.
struct EventCase {
    cli::GraphEvent event;
    const char* text; // the start of the description
    bool ends;
};

class EventTexts : public ::testing::TestWithParam<EventCase> {};

TEST_P(EventTexts, NameTheEventAndTellWhetherItEndsTheCapture) {
    const EventCase& row = GetParam();
    EXPECT_EQ(cli::describeEvent(row.event).rfind(row.text, 0), 0u)
        << cli::describeEvent(row.event);
    EXPECT_EQ(cli::endsCapture(row.event), row.ends);
}

INSTANTIATE_TEST_SUITE_P(
    Events, EventTexts,
    ::testing::Values(
        EventCase{{0x03, static_cast<int>(0x80070070), 0}, "EC_ERRORABORT (0x80070070: ", true},
        EventCase{{0x45, static_cast<int>(0x80004005), 0}, "EC_ERRORABORTEX (0x80004005", true},
        EventCase{
            {0x06, static_cast<int>(0x8007001F), 0}, "EC_STREAM_ERROR_STOPPED (0x8007001F", true},
        EventCase{{0x07, 0, 0}, "EC_STREAM_ERROR_STILLPLAYING (0x00000000", false},
        EventCase{{0x1F, 0x1234, 0}, "EC_DEVICE_LOST (device removed)", true},
        EventCase{{0x1F, 0x1234, 1}, "EC_DEVICE_LOST (device available again)", false},
        EventCase{{0x01, 0, 0}, "EC_COMPLETE (0x00000000", false},
        EventCase{{0x0D, 0, 0}, "EC_CLOCK_CHANGED", false},
        EventCase{{0x54, 1, -1}, "0x0054 (0x1, 0xFFFFFFFF)", false}));

TEST(FormatLists, ParseLineByLineAndRefuseListsThatDoNotMatch) {
    const std::vector<cli::DeviceFormat> formats =
        cli::parseFormatLists("30.00\r\n29.97\r\n", "640\r\n1280\r\n", "480\r\n-720\r\n");
    EXPECT_EQ(formats, (std::vector<cli::DeviceFormat>{{640, 480, 30.0}, {1280, -720, 29.97}}));
    EXPECT_TRUE(cli::parseFormatLists("", "", "").empty());
    EXPECT_THROW(cli::parseFormatLists("30.00\r\n", "640\r\n", ""), cli::CommandError);
    EXPECT_THROW(cli::parseFormatLists("30.00\r\n", "640x\r\n", "480\r\n"), cli::CommandError);
    EXPECT_THROW(cli::parseFormatLists("30.00", "640\r\n", "480\r\n"), cli::CommandError);
}

struct RequestCase {
    cli::FormatRequest request;
    std::optional<cli::DeviceFormat> completed; // nothing: refused
};

class FormatRequests : public ::testing::TestWithParam<RequestCase> {};

// What the device lists: two rates of one size, a top-down size, another size.
const std::vector<cli::DeviceFormat> kListed = {
    {640, 480, 30.0}, {640, 480, 15.0}, {1280, -720, 29.97}, {320, 240, 30.0}};

TEST_P(FormatRequests, TakeWhatIsMissingFromTheFirstMatchingFormat) {
    const RequestCase& row = GetParam();
    if (row.completed) {
        EXPECT_EQ(cli::completeRequest(row.request, kListed), *row.completed);
    } else {
        EXPECT_THROW(cli::completeRequest(row.request, kListed), cli::CommandError);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Requests, FormatRequests,
    ::testing::Values(
        RequestCase{{320, 240, std::nullopt}, cli::DeviceFormat{320, 240, 30.0}},
        RequestCase{{640, std::nullopt, 15.0}, cli::DeviceFormat{640, 480, 15.0}},
        RequestCase{{std::nullopt, std::nullopt, 29.97}, cli::DeviceFormat{1280, -720, 29.97}},
        RequestCase{{1280, std::nullopt, std::nullopt}, cli::DeviceFormat{1280, -720, 29.97}},
        RequestCase{{std::nullopt, std::nullopt, 29.966}, cli::DeviceFormat{1280, -720, 29.966}},
        // All three given: asked for as they are, listed or not.
        RequestCase{{800, 600, 25.0}, cli::DeviceFormat{800, 600, 25.0}},
        RequestCase{{800, std::nullopt, std::nullopt}, std::nullopt},
        RequestCase{{640, 480, std::nullopt}, cli::DeviceFormat{640, 480, 30.0}},
        RequestCase{{320, 480, std::nullopt}, std::nullopt},
        RequestCase{{std::nullopt, std::nullopt, 60.0}, std::nullopt}));

TEST(ControlLists, ParseEachLineWithItsPaddedValueAndRefuseOtherText) {
    const std::vector<cli::DeviceControl> controls = cli::parseControlList(
        "Brightness,0,-64,64,1,0,2,         20,2\r\nExposure,14,-13,-1,1,-6,3,-2147483648,1\r\n");
    EXPECT_EQ(controls,
              (std::vector<cli::DeviceControl>{{"Brightness", 0, -64, 64, 1, 0, 2, 20, 2},
                                               {"Exposure", 14, -13, -1, 1, -6, 3, INT_MIN, 1}}));
    EXPECT_TRUE(cli::parseControlList("").empty());
    for (const char* bad :
         {"Brightness,0,-64,64,1,0,2,20\r\n", "Brightness,0,-64,64,1,0,2,20,2,1\r\n",
          "Brightness,0,-64,64,1,0,2,2x,2\r\n", "Brightness,0,-64,64,1,0,2,,2\r\n",
          "Brightness,0,-64,64,1,0,2,20,2"}) {
        EXPECT_THROW(cli::parseControlList(bad), cli::CommandError) << bad;
    }
}

struct AssignmentCase {
    const char* text;
    std::optional<cli::ControlAssignment> assignment;
    const char* problem;
};

class Assignments : public ::testing::TestWithParam<AssignmentCase> {};

TEST_P(Assignments, NameAPropertyAndAValueOrAMode) {
    std::string problem;
    EXPECT_EQ(cli::parseAssignment(GetParam().text, problem), GetParam().assignment);
    EXPECT_EQ(problem, GetParam().problem);
}

using Kind = cli::ControlAssignment::Kind;
INSTANTIATE_TEST_SUITE_P(
    Texts, Assignments,
    ::testing::Values(
        AssignmentCase{"brightness=20",
                       cli::ControlAssignment{"brightness=20", 0, Kind::kValue, 20}, ""},
        AssignmentCase{"EXPOSURE=-5", cli::ControlAssignment{"EXPOSURE=-5", 14, Kind::kValue, -5},
                       ""},
        AssignmentCase{"focus=Auto", cli::ControlAssignment{"focus=Auto", 16, Kind::kAuto, 0}, ""},
        AssignmentCase{"gain=manual", cli::ControlAssignment{"gain=manual", 9, Kind::kManual, 0},
                       ""},
        AssignmentCase{"brightness", std::nullopt,
                       "'brightness' is not NAME=VALUE, NAME=auto or NAME=manual"},
        AssignmentCase{"shine=1", std::nullopt,
                       "'shine=1': no property is named 'shine' (see 'controls')"},
        AssignmentCase{"hue=", std::nullopt,
                       "'hue=': '' is neither a whole number nor auto or manual"},
        AssignmentCase{"hue= 5", std::nullopt,
                       "'hue= 5': ' 5' is neither a whole number nor auto or manual"},
        AssignmentCase{"hue=5x", std::nullopt,
                       "'hue=5x': '5x' is neither a whole number nor auto or manual"},
        AssignmentCase{"hue=2147483648", std::nullopt,
                       "'hue=2147483648': '2147483648' is neither a whole number nor auto or "
                       "manual"}));

} // namespace
