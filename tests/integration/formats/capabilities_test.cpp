// The capability exports on Wine's DirectShow with a vcxcam camera of four
// capabilities (YUY2, MJPG, NV12 and a VIDEOINFOHEADER2 RGB24): the list, each
// capability chosen by index and in force at the next open, its frames
// reaching the host as RGB24 through the transform the graph builder puts
// between, the codes of choices the device cannot take, and an MJPG
// recording. Run by check-formats.sh in an empty work folder, where it
// leaves for ffmpeg on the Linux side:
//   NAME.jpg, NAME.bgr, NAME.size  a JPEG the camera sent, the RGB24 frame
//                                  (bottom-up) the host got of it, "W H";
//   NAME.avi, NAME.mjpeg, NAME.sizes  a recording, the JPEGs the camera sent
//                                  from its first frame on, one's length a line.
#include "camera_support.h"
#include "graph_spy.h"
#include "harness.h"
#include "library.h"
#include "vcxcap.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

using vcxcam::Subtype;

constexpr int kNoOutput = 5;
constexpr int kNullRenderer = 6;
constexpr int kAviFile = 300;

// The rates of the camera's intervals: 10000000 / 333333 and so on.
constexpr double k30 = 10000000.0 / 333333;
constexpr double k60 = 10000000.0 / 166667;
constexpr double k15 = 10000000.0 / 666667;

const std::vector<std::wstring> kFormats = {L"640x480@30:YUY2", L"1920x1080@30:MJPG",
                                            L"1280x720@60:NV12", L"vi2:320x240@30"};

class Capabilities : public testing::Test {
  protected:
    static void TearDownTestSuite() { harness::restoreDefaultCameras(); }
    // The camera of four formats; a test may configure another.
    void SetUp() override {
        harness::configureCameras({harness::CameraConfig{L"Four formats", kFormats}});
        ASSERT_EQ(vcx_Init(), 0);
    }
    void TearDown() override {
        harness::resetLibrary();
        vcx_SetDevFormat(-1, 0.0);
        vcx_SetDevWidth(0);
        vcx_SetDevHeight(0);
        vcx_SetDevFrameRate(0.0);
    }
};

std::string capabilityList() {
    const int size = vcx_GetDevFormatListSize();
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 1, '\0');
    EXPECT_EQ(vcx_GetDevFormatList(buffer.data()), 4);
    EXPECT_EQ(std::strlen(buffer.data()) + 1, buffer.size()) << "the size query disagrees";
    return buffer.data();
}

TEST_F(Capabilities, ListsEveryCapabilityWithItsSubtypeAndFormatType) {
    ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    EXPECT_EQ(capabilityList(), "0,YUY2,VideoInfo,640,480,16,30.00,30.00,30.00\r\n"
                                "1,MJPG,VideoInfo,1920,1080,24,30.00,30.00,30.00\r\n"
                                "2,NV12,VideoInfo,1280,720,12,60.00,60.00,60.00\r\n"
                                "3,RGB24,VideoInfo2,320,240,24,30.00,30.00,30.00\r\n");
}

struct Format {
    int fourcc;
    int bitCount;
    int width;
    int height;
    double fps;
    bool operator==(const Format&) const = default;
};

// The format in use and where it was read (vcx_GetDevFormat's result).
std::pair<int, Format> formatInUse() {
    Format format{};
    const int source = vcx_GetDevFormat(&format.fourcc, &format.bitCount, &format.width,
                                        &format.height, &format.fps);
    return {source, format};
}

std::vector<std::string> graphFilters() {
    const int size = vcx_GetStreamFilterListSize();
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 1, '\0');
    EXPECT_GE(vcx_GetStreamFilterList(buffer.data()), 0);
    std::vector<std::string> names;
    std::string text = buffer.data();
    for (std::size_t end; (end = text.find("\r\n")) != std::string::npos; text.erase(0, end + 2)) {
        names.push_back(text.substr(0, end));
    }
    return names;
}

// The next frame the host gets, with its header's size.
struct HostFrame {
    std::vector<std::uint8_t> bits;
    long width = 0;
    long height = 0;
};

HostFrame nextFrame() {
    HostFrame frame;
    frame.bits.resize(static_cast<std::size_t>(vcx_GetImageMemSize(0)));
    std::array<std::uint8_t, 44> header{};
    int size = static_cast<int>(frame.bits.size());
    EXPECT_GT(vcx_GetNextFrame(0, 5000, frame.bits.data(), &size, header.data()), 0);
    BITMAPINFOHEADER info;
    std::memcpy(&info, header.data(), sizeof info);
    EXPECT_EQ(info.biBitCount, 24);
    EXPECT_EQ(info.biCompression, static_cast<DWORD>(BI_RGB));
    frame.bits.resize(static_cast<std::size_t>(size));
    frame.width = info.biWidth;
    frame.height = info.biHeight;
    return frame;
}

void writeFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

struct ChoiceCase {
    const char* name;
    int index;
    Format format;
    Subtype sent;
    const char* between; // the filter the graph builder puts before the grabber
};

class ChosenCapability : public Capabilities, public testing::WithParamInterface<ChoiceCase> {};

INSTANTIATE_TEST_SUITE_P(
    Capabilities, ChosenCapability,
    testing::Values(
        ChoiceCase{
            "Yuy2", 0, {0x32595559, 16, 640, 480, k30}, Subtype::Yuy2, "vcxcam Colour Converter"},
        ChoiceCase{
            "Mjpg", 1, {0x47504A4D, 24, 1920, 1080, k30}, Subtype::Mjpg, "vcxcam MJPEG Decoder"},
        ChoiceCase{
            "Nv12", 2, {0x3231564E, 12, 1280, 720, k60}, Subtype::Nv12, "vcxcam Colour Converter"},
        ChoiceCase{"Rgb24VideoInfo2",
                   3,
                   {0, 24, 320, 240, k30},
                   Subtype::Rgb24,
                   "vcxcam Colour Converter"}),
    [](const auto& info) { return std::string(info.param.name); });

// Chosen on a slot without output, in force at the next open of the Null
// Renderer mode; the host's frames are the camera's picture, exactly as the
// transform between makes it (MJPG: this decoder's decode; ffmpeg's own is
// compared on the Linux side).
TEST_P(ChosenCapability, IsInForceAtTheNextOpenAndItsFramesReachTheHostAsRgb24) {
    const ChoiceCase& c = GetParam();
    ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    ASSERT_EQ(vcx_SetDevFormat(c.index, 0.0), 0);
    EXPECT_EQ(formatInUse(), std::make_pair(2, c.format)) << "the format the pin connects with";
    ASSERT_EQ(vcx_Close(), 0);

    ASSERT_EQ(vcx_Open(0, kNullRenderer, 0, 0, 0), 0);
    EXPECT_EQ(formatInUse(), std::make_pair(0, c.format)) << "the capture pin's connection";
    const std::vector<std::string> filters = graphFilters();
    EXPECT_NE(std::find(filters.begin(), filters.end(), c.between), filters.end())
        << "no " << c.between << " in the graph";
    ASSERT_GE(vcx_Play2(), 0);
    const HostFrame frame = nextFrame();
    EXPECT_EQ(frame.width, c.format.width);
    EXPECT_EQ(frame.height, c.format.height);
    ASSERT_EQ(frame.bits.size(), camtest::rgb24FrameBytes(frame.width, frame.height));
    const std::optional<std::uint32_t> f =
        camtest::matchPicture(frame.bits, frame.width, frame.height, c.sent);
    ASSERT_TRUE(f.has_value()) << "not the camera's picture";
    if (c.sent == Subtype::Mjpg) {
        const std::string name = "mjpg-" + std::to_string(frame.width);
        writeFile(name + ".jpg", camtest::cameraFrame(frame.width, frame.height, c.sent, *f));
        writeFile(name + ".bgr", frame.bits);
        std::ofstream(name + ".size") << frame.width << ' ' << frame.height << '\n';
    }
    EXPECT_EQ(vcx_Stop(), 0);
    EXPECT_EQ(vcx_Close(), 0);
}

// What the device cannot take leaves the format in force as it was.
TEST_F(Capabilities, ChoicesTheDeviceCannotTakeAnswerTheirCodeAndChangeNothing) {
    ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    ASSERT_EQ(vcx_SetDevFormat(2, 0.0), 0);
    const std::pair<int, Format> before = formatInUse();
    EXPECT_EQ(vcx_SetDevFormat(4, 0.0), -5) << "past the list";
    EXPECT_EQ(vcx_SetDevFormat(0, 15.0), -6) << "vcxcam's range is its own rate";
    EXPECT_EQ(vcx_SetDevFormat(0, -30.0), -6);
    EXPECT_EQ(formatInUse(), before);
    ASSERT_EQ(vcx_Close(), 0);
    EXPECT_EQ(vcx_SetDevFormat(0, 0.0), -1) << "closed";
    ASSERT_EQ(vcx_Open(0, kNullRenderer, 0, 0, 0), 0);
    EXPECT_EQ(formatInUse().second, before.second) << "the kept choice applies at open";
    ASSERT_GE(vcx_Play2(), 0);
    EXPECT_EQ(vcx_SetDevFormat(0, 0.0), -3) << "running";
    EXPECT_EQ(formatInUse().second, before.second);
}

TEST_F(Capabilities, RefusingDeviceAnswersMinusEight) {
    harness::CameraConfig refusing{L"Refusing camera", kFormats};
    refusing.refuseFormats = 1;
    harness::configureCameras({refusing});
    ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    EXPECT_EQ(vcx_SetDevFormat(1, 0.0), -8);
    EXPECT_EQ(formatInUse(), std::make_pair(2, Format{0x32595559, 16, 640, 480, k30}))
        << "the first capability, as before";
}

// A device that takes the size but keeps its own rate: the rate in force is
// what vcx_GetDevFormat reports, not the rate asked for.
TEST_F(Capabilities, FormatInUseTellsTheRateTheDeviceKept) {
    harness::CameraConfig keeping{L"Rate keeping camera", {L"320x240@30"}};
    keeping.keepRate = 1;
    harness::configureCameras({keeping});
    vcx_SetDevFrameRate(15.0);
    vcx_SetDevWidth(320);
    vcx_SetDevHeight(240);
    ASSERT_EQ(vcx_Open(0, kNullRenderer, 0, 0, 0), 0);
    EXPECT_EQ(formatInUse(), std::make_pair(0, Format{0, 24, 320, 240, k30}));
}

// With a preview pin, the Null Renderer mode renders the preview only: the
// capture pin stays unconnected and the preview pin's format is reported.
TEST_F(Capabilities, PreviewPinFormatWhenOnlyThePreviewIsRendered) {
    harness::configureCameras({harness::CameraConfig{L"Preview camera", {L"320x240@15"}, 1}});
    ASSERT_EQ(vcx_Open(0, kNullRenderer, 0, 0, 0), 0);
    EXPECT_EQ(formatInUse(), std::make_pair(1, Format{0, 24, 320, 240, k15}));
}

// Mode 300 from an MJPG capability: the file holds the camera's JPEGs
// unchanged (checked by check-formats.sh), while the preview branch gives
// the host RGB24 frames.
TEST_F(Capabilities, MjpgRecordingHoldsTheCamerasJpegs) {
    harness::configureCameras({harness::CameraConfig{L"MJPG camera", {L"320x240@30:MJPG"}}});
    ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    ASSERT_EQ(vcx_SetDevFormat(0, 0.0), 0);
    ASSERT_EQ(vcx_Close(), 0);
    wchar_t full[MAX_PATH];
    ASSERT_GT(GetFullPathNameW(L"mjpg-recording.avi", MAX_PATH, full, nullptr), 0u);
    ASSERT_EQ(vcx_Open(0, kAviFile, 0, reinterpret_cast<vcx_intptr>(full), 0), 0);
    EXPECT_EQ(formatInUse(), std::make_pair(0, Format{0x47504A4D, 24, 320, 240, k30}));
    ASSERT_GE(vcx_Play2(), 0);
    const HostFrame frame = nextFrame();
    EXPECT_TRUE(camtest::matchPicture(frame.bits, 320, 240, Subtype::Mjpg).has_value())
        << "the preview branch's frame is not the decoded picture";
    EXPECT_GT(vcx_WaitFrame(20, 5000), 20);
    EXPECT_EQ(vcx_Stop(), 0);
    EXPECT_EQ(vcx_Close(), 0);
    // More frames than the recording can hold (the graph ran about a second).
    std::ofstream jpegs("mjpg-recording.mjpeg", std::ios::binary);
    std::ofstream sizes("mjpg-recording.sizes");
    for (std::uint32_t f = 0; f < 150; ++f) {
        const std::vector<std::uint8_t> jpeg = camtest::cameraFrame(320, 240, Subtype::Mjpg, f);
        jpegs.write(reinterpret_cast<const char*>(jpeg.data()),
                    static_cast<std::streamsize>(jpeg.size()));
        sizes << jpeg.size() << '\n';
    }
}

} // namespace
