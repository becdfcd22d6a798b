// Camera properties and device paths through Wine's DirectShow with vcxcam
// cameras: a brightness change in the exact pixels of the next frames and a
// refused one leaving them alone, auto mode moving a value until manual mode
// stops it, the codes of a camera without the interfaces, and cameras of one
// name told apart and found again by their paths.
#include <gtest/gtest.h>

#include "first_frame.h"
#include "harness.h"
#include "library.h"
#include "picture.h"
#include "vcxcap.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int kNoOutput = 5;
constexpr int kNullRenderer = 6;
constexpr int kWidth = 160;
constexpr int kHeight = 120;

// Brightness in steps of 2 (the camera refuses an odd value), Exposure in auto.
harness::CameraConfig controlsCamera() {
    return {L"Controls camera",
            {L"160x120@30"},
            0,
            0,
            0,
            0,
            std::vector<std::wstring>{L"Brightness -64 64 2 0 manual",
                                      L"Exposure -13 -1 1 -6 both auto"}};
}

class DeviceControls : public ::testing::Test {
  protected:
    static void TearDownTestSuite() { harness::restoreDefaultCameras(); }
    void SetUp() override { ASSERT_EQ(vcx_Init(), 0); }
    void TearDown() override { harness::resetLibrary(); }
};

std::vector<std::uint8_t> grabFrame() {
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(vcx_GetImageMemSize(0)));
    BYTE header[44];
    int size = static_cast<int>(bits.size());
    EXPECT_EQ(
        harness::onceAFrameIsThere([&] { return vcx_GetImageMem(bits.data(), &size, header); }), 0);
    return bits;
}

// Whether frame is one of the camera's 256 pictures with brightness added to
// every colour byte (a 160-pixel row has no padding), clamped at 255.
bool isBrightenedPicture(const std::vector<std::uint8_t>& frame, int brightness) {
    std::vector<std::uint8_t> picture(vcxcam::frameSize(kWidth, kHeight));
    if (frame.size() != picture.size()) {
        return false;
    }
    for (std::uint32_t f = 0; f < 256; ++f) {
        vcxcam::drawFrame(picture.data(), kWidth, kHeight, f);
        for (std::uint8_t& byte : picture) {
            byte = static_cast<std::uint8_t>(std::clamp(byte + brightness, 0, 255));
        }
        if (picture == frame) {
            return true;
        }
    }
    return false;
}

// Grabs frames until one is the picture at brightness, for up to 2 s.
bool aFrameShowsBrightness(int brightness) {
    const ULONGLONG end = GetTickCount64() + 2000;
    do {
        if (isBrightenedPicture(grabFrame(), brightness)) {
            return true;
        }
        Sleep(20);
    } while (GetTickCount64() < end);
    return false;
}

struct Setting {
    int value = 0;
    int flags = 0;
};

Setting settingOf(int property) {
    Setting setting;
    EXPECT_EQ(vcx_GetDevControl(property, &setting.value, &setting.flags), 0);
    return setting;
}

TEST_F(DeviceControls, BrightnessShowsInTheNextFramesAndARefusalChangesNothing) {
    harness::configureCameras({controlsCamera()});
    ASSERT_EQ(vcx_Open(0, kNullRenderer, 0, 0, 0), 0);
    ASSERT_GE(vcx_Play2(), 0);
    EXPECT_TRUE(isBrightenedPicture(grabFrame(), 0)) << "the default brightness changes nothing";

    ASSERT_EQ(vcx_SetDevControl(VCX_CONTROL_BRIGHTNESS, 20, VCX_CONTROL_MANUAL), 0);
    EXPECT_TRUE(aFrameShowsBrightness(20));
    // Four frames later, still exactly that picture.
    Sleep(150);
    EXPECT_TRUE(isBrightenedPicture(grabFrame(), 20));

    EXPECT_EQ(vcx_SetDevControl(VCX_CONTROL_BRIGHTNESS, 21, VCX_CONTROL_MANUAL), -9)
        << "vcxcam refuses a value off its steps";
    EXPECT_EQ(vcx_SetDevControl(VCX_CONTROL_BRIGHTNESS, 66, VCX_CONTROL_MANUAL), -8);
    const Setting held = settingOf(VCX_CONTROL_BRIGHTNESS);
    EXPECT_EQ(held.value, 20);
    EXPECT_EQ(held.flags, VCX_CONTROL_MANUAL);
    Sleep(150);
    EXPECT_TRUE(isBrightenedPicture(grabFrame(), 20));

    // The camera keeps the value for its next filter.
    ASSERT_EQ(vcx_Close(), 0);
    ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    EXPECT_EQ(settingOf(VCX_CONTROL_BRIGHTNESS).value, 20);
}

TEST_F(DeviceControls, AutoModeMovesExposureUntilManualModeStopsIt) {
    harness::configureCameras({controlsCamera()});
    ASSERT_EQ(vcx_Open(0, kNullRenderer, 0, 0, 0), 0);
    ASSERT_GE(vcx_Play2(), 0);
    grabFrame();
    std::set<int> seen;
    for (int sample = 0; sample < 10; ++sample) {
        const Setting setting = settingOf(VCX_CONTROL_EXPOSURE);
        EXPECT_EQ(setting.flags, VCX_CONTROL_AUTO);
        seen.insert(setting.value);
        Sleep(40);
    }
    EXPECT_GE(seen.size(), 3u) << "exposure did not move in auto mode";

    ASSERT_EQ(vcx_SetDevControl(VCX_CONTROL_EXPOSURE, -5, VCX_CONTROL_MANUAL), 0);
    for (int sample = 0; sample < 10; ++sample) {
        const Setting setting = settingOf(VCX_CONTROL_EXPOSURE);
        EXPECT_EQ(setting.value, -5);
        EXPECT_EQ(setting.flags, VCX_CONTROL_MANUAL);
        Sleep(40);
    }
}

TEST_F(DeviceControls, CamerasWithoutAnInterfaceOrAPropertyAnswerTheirCodes) {
    harness::configureCameras({{L"Plain camera", {}, 0, 0, 0, 0, std::vector<std::wstring>{}},
                               {L"Brightness camera",
                                {},
                                0,
                                0,
                                0,
                                0,
                                std::vector<std::wstring>{L"Brightness -64 64 2 0 manual"}}});
    Setting setting;
    ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    EXPECT_EQ(vcx_GetDevControl(VCX_CONTROL_BRIGHTNESS, &setting.value, &setting.flags), -5);
    EXPECT_EQ(vcx_GetDevControlListSize(), -4);
    ASSERT_EQ(vcx_Close(), 0);

    ASSERT_EQ(vcx_Open(1, kNoOutput, 0, 0, 0), 0);
    EXPECT_EQ(vcx_GetDevControl(VCX_CONTROL_EXPOSURE, &setting.value, &setting.flags), -5);
    EXPECT_EQ(vcx_GetDevControl(VCX_CONTROL_HUE, &setting.value, &setting.flags), -6);
    std::vector<char> list(static_cast<std::size_t>(vcx_GetDevControlListSize()), '\0');
    EXPECT_EQ(vcx_GetDevControlList(list.data()), 1);
    EXPECT_STREQ(list.data(), "Brightness,0,-64,64,2,0,2,          0,2\r\n");
}

// Splits a name list into its lines.
std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

std::string listWith(int (*size)(), int (*list)(char*)) {
    std::vector<char> buffer(static_cast<std::size_t>(std::max(size(), 1)), '\0');
    list(buffer.data());
    EXPECT_EQ(std::string(buffer.data()).size() + 1, static_cast<std::size_t>(size()));
    return buffer.data();
}

TEST_F(DeviceControls, CamerasOfOneNameHaveTheirOwnPathsAndAreFoundAgainByThem) {
    harness::CameraConfig third{L"USB Camera", {L"320x240@30"}};
    third.devicePath = L"\\\\?\\usb#vid_1234&pid_5678#serial42";
    harness::CameraConfig noPath{L"No path camera", {}};
    noPath.devicePath = L"";
    harness::configureCameras({{L"USB Camera", {}}, {L"USB Camera", {}}, third, noPath});

    const std::vector<std::string> names = linesOf(listWith(
        [] { return vcx_GetDeviceListSize(0); }, [](char* b) { return vcx_GetDeviceList(b, 0); }));
    const std::vector<std::string> paths =
        linesOf(listWith(vcx_GetDevicePathListSize, vcx_GetDevicePathList));
    EXPECT_EQ(names, (std::vector<std::string>{"USB Camera", "USB Camera", "USB Camera",
                                               "No path camera"}));
    EXPECT_EQ(paths, (std::vector<std::string>{"\\\\?\\root#vcxcam#0000", "\\\\?\\root#vcxcam#0001",
                                               "\\\\?\\usb#vid_1234&pid_5678#serial42", ""}));

    const auto found =
        std::find(paths.begin(), paths.end(), "\\\\?\\usb#vid_1234&pid_5678#serial42");
    ASSERT_NE(found, paths.end());
    ASSERT_EQ(vcx_Open(static_cast<int>(found - paths.begin()), kNoOutput, 0, 0, 0), 0);
    EXPECT_EQ(vcx_GetCapInfo(0), 320) << "the path's device is the 320x240 camera";
}

} // namespace
