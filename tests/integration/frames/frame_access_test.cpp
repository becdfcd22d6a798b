// The frame exports on a running capture of the vcxcam camera through Wine's
// DirectShow: the camera's exact picture in host memory and on a device
// context, a BMP file for an independent reader (decode_snapshot.py, run by
// ctest after this program), and what the real grabber, file system and
// mixing renderer answer.
#include <gtest/gtest.h>

#include "camera_support.h"
#include "first_frame.h"
#include "harness.h"
#include "library.h"
#include "picture.h"
#include "vcxcap.h"

#include <windows.h>

#include <array>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kVmr9 = 2;
constexpr int kNullRenderer = 6;

struct Size {
    int width, height;
};

// The default camera with one format, opened in mode and running.
void startCamera(Size size, int mode = kNullRenderer) {
    harness::configureCameras(
        {{L"", {std::to_wstring(size.width) + L"x" + std::to_wstring(size.height) + L"@30"}}});
    ASSERT_EQ(vcx_Init(), 0);
    const vcx_intptr vmr9 = mode == kVmr9 ? 1 : 0; // VMR9Mode_Windowed, one stream
    ASSERT_EQ(vcx_Open(0, mode, 0, vmr9, vmr9), 0);
    ASSERT_GE(vcx_Play2(), 0);
}

struct Frame {
    std::vector<std::uint8_t> bits;
    std::array<std::uint8_t, 44> header;
};

Frame grabFrame() {
    Frame frame;
    frame.bits.resize(static_cast<std::size_t>(vcx_GetImageMemSize(0)));
    frame.header.fill(0xEE);
    int size = static_cast<int>(frame.bits.size());
    EXPECT_EQ(harness::onceAFrameIsThere(
                  [&] { return vcx_GetImageMem(frame.bits.data(), &size, frame.header.data()); }),
              0);
    EXPECT_EQ(static_cast<std::size_t>(size), frame.bits.size());
    return frame;
}

class Frames : public ::testing::TestWithParam<Size> {
  protected:
    static void TearDownTestSuite() { harness::restoreDefaultCameras(); }
    void TearDown() override { harness::resetLibrary(); }
};

TEST_P(Frames, GetImageMemCopiesTheCamerasPictureAndItsHeader) {
    const Size size = GetParam();
    ASSERT_NO_FATAL_FAILURE(startCamera(size));
    ASSERT_EQ(vcx_GetImageMemSize(0), static_cast<int>(vcxcam::frameSize(size.width, size.height)));
    ASSERT_EQ(vcx_GetImageMemSize(1), 44);
    const Frame first = grabFrame();
    const auto number = camtest::matchPicture(first.bits, size.width, size.height);
    ASSERT_TRUE(number.has_value()) << "not the camera's picture for any frame number";

    BITMAPINFOHEADER expected{};
    expected.biSize = sizeof expected;
    expected.biWidth = size.width;
    expected.biHeight = size.height;
    expected.biPlanes = 1;
    expected.biBitCount = 24;
    expected.biSizeImage = static_cast<DWORD>(first.bits.size());
    EXPECT_EQ(std::memcmp(first.header.data(), &expected, sizeof expected), 0);
    EXPECT_EQ(first.header[40] | first.header[41] | first.header[42] | first.header[43], 0);

    Sleep(300); // about 9 frames at 30 fps
    const auto later = camtest::matchPicture(grabFrame().bits, size.width, size.height);
    ASSERT_TRUE(later.has_value());
    const std::uint32_t advanced = (*later - *number) & 0xFF;
    EXPECT_TRUE(advanced >= 1 && advanced < 128) << *number << " then " << *later;
}

INSTANTIATE_TEST_SUITE_P(Sizes, Frames, ::testing::Values(Size{640, 480}, Size{1920, 1080}),
                         [](const auto& info) {
                             return std::to_string(info.param.width) + "x" +
                                    std::to_string(info.param.height);
                         });

class OneCamera : public Frames {};

TEST_F(OneCamera, GetImagePaintsTheExactPixelsIntoADibSection) {
    ASSERT_NO_FATAL_FAILURE(startCamera({640, 480}));
    const HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, 640, 480, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* pixels = nullptr;
    const HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    ASSERT_NE(dib, nullptr);
    const HGDIOBJ old = SelectObject(dc, dib);
    const std::size_t bytes = vcxcam::frameSize(640, 480);
    std::memset(pixels, 0xCD, bytes);

    const int hdc = static_cast<int>(reinterpret_cast<intptr_t>(dc));
    EXPECT_EQ(harness::onceAFrameIsThere([&] { return vcx_GetImage(hdc, 0, 0, 640, 480); }), 0);
    GdiFlush();
    const auto* painted = static_cast<const std::uint8_t*>(pixels);
    EXPECT_TRUE(camtest::matchPicture({painted, painted + bytes}, 640, 480).has_value())
        << "the DIB section does not hold the camera's picture";
    SelectObject(dc, old);
    DeleteObject(dib);
    DeleteDC(dc);
}

std::vector<char> contentOf(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// decode_snapshot.py reads this file once the program has ended.
TEST_F(OneCamera, SaveBmpWritesAFileForAnIndependentReader) {
    const std::wstring path = harness::programFolder() + L"vcxcap_snapshot.bmp";
    DeleteFileW(path.c_str());
    ASSERT_NO_FATAL_FAILURE(startCamera({640, 480}));
    const std::string ansiPath = harness::narrow(path);
    EXPECT_EQ(harness::onceAFrameIsThere([&] { return vcx_SaveBMP(ansiPath.c_str()); }), 0);
    EXPECT_EQ(contentOf(path).size(), 54 + vcxcam::frameSize(640, 480));
}

TEST_F(OneCamera, SaveBmpRefusesWithoutBufferingOrFolder) {
    ASSERT_NO_FATAL_FAILURE(startCamera({640, 480}));
    const std::wstring path = harness::programFolder() + L"vcxcap_kept.bmp";
    { std::ofstream(path.c_str(), std::ios::binary) << "kept"; }
    ASSERT_EQ(harness::onceAFrameIsThere([] {
                  int size = 0;
                  return vcx_GetImageMem(nullptr, &size, std::array<char, 44>{}.data());
              }),
              0);
    ASSERT_EQ(vcx_SetCapConfig(0), 0);
    EXPECT_EQ(vcx_SaveBMP(harness::narrow(path).c_str()), -3);
    EXPECT_EQ(contentOf(path), (std::vector<char>{'k', 'e', 'p', 't'}));
    DeleteFileW(path.c_str());

    ASSERT_EQ(vcx_SetCapConfig(1), 0);
    const char* missing = "C:\\vcxcap no such folder\\snapshot.bmp";
    EXPECT_EQ(harness::onceAFrameIsThere([&] { return vcx_SaveBMP(missing); }), -8);
    EXPECT_EQ(GetFileAttributesA(missing), INVALID_FILE_ATTRIBUTES);
}

TEST_F(OneCamera, OverlayOnTheVmr9PassesWinesAnswerThrough) {
    if (harness::runsUnderQemuUser()) {
        GTEST_SKIP() << "a windowed VMR-9 (Direct3D on Mesa) crashes qemu-user";
    }
    ASSERT_NO_FATAL_FAILURE(startCamera({640, 480}, kVmr9));
    const HDC dc = CreateCompatibleDC(nullptr);
    const int hdc = static_cast<int>(reinterpret_cast<intptr_t>(dc));
    // Wine 8.0's IVMRMixerBitmap9::SetAlphaBitmap is a stub answering E_NOTIMPL.
    EXPECT_EQ(vcx_VMRMixImage(hdc, 0, 0, 16, 16, 0.5f, 0.0f, 0.0f, 0.5f, 0.25f, 1, 255, 0, 255),
              static_cast<int>(E_NOTIMPL));
    DeleteDC(dc);
}

} // namespace
