// The capture format and dialogs on Wine's DirectShow with vcxcam cameras:
// the format lists of a configured camera, a requested format in the frames,
// cameras that refuse formats or offer no stream configuration, and the
// dialog of the compressor open chose.
#include <gtest/gtest.h>

#include "camera_support.h"
#include "graph_spy.h"
#include "harness.h"
#include "ids.h"
#include "library.h"
#include "registry.h"
#include "vcxcap.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

// The mode that builds the graph core and adds the device, no output.
constexpr int kNoOutput = 5;

class CaptureFormat : public ::testing::Test {
  protected:
    static void TearDownTestSuite() { harness::restoreDefaultCameras(); }

    static void useCamera(harness::CameraConfig camera) {
        harness::configureCameras({std::move(camera)});
    }

    void SetUp() override { ASSERT_EQ(vcx_Init(), 0); }
    void TearDown() override {
        harness::resetLibrary();
        harness::forgetRequestedFormat();
    }
};

// One list read with its size query, from an empty buffer. The call fills all
// three lists, so each buffer takes its own list's size.
std::string listOf(int type) {
    std::vector<std::vector<char>> buffers;
    for (int list = 0; list < 3; ++list) {
        const int size = vcx_GetDevCapConfigSize(list);
        EXPECT_GT(size, 0);
        EXPECT_EQ(vcx_GetBufferSize(7 + list), size);
        buffers.emplace_back(size > 0 ? size : 1, '\0');
    }
    EXPECT_EQ(vcx_GetDevCapConfig(buffers[0].data(), buffers[1].data(), buffers[2].data()), 0);
    const std::string text = buffers[type].data();
    EXPECT_EQ(text.size() + 1, buffers[type].size()) << "the size query and the list disagree";
    return text;
}

TEST_F(CaptureFormat, ListsTheVideoInfoFormatsOfTheCameraInOrder) {
    useCamera({L"Lists camera", {L"640x480@30", L"320x240@30", L"vi2:800x600@30", L"640x-480@15"}});
    ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    EXPECT_EQ(listOf(0), "30.00\r\n30.00\r\n15.00\r\n");
    EXPECT_EQ(listOf(1), "640\r\n320\r\n640\r\n");
    EXPECT_EQ(listOf(2), "480\r\n240\r\n-480\r\n");
    EXPECT_EQ(vcx_GetCapInfo(0), 640);
    EXPECT_EQ(vcx_GetCapInfo(4), 333333);
}

// The shape of the frames reaching the Sample Grabber of a running graph,
// once one carrying the camera's picture has come.
camtest::VideoShape grabbedShape(IGraphBuilder* graph) {
    vcx::ComPtr<ISampleGrabber> grabber = camtest::grabberOf(graph);
    if (!grabber) {
        ADD_FAILURE() << "no Sample Grabber in the graph";
        return {};
    }
    const std::vector<std::uint8_t> frame = camtest::waitForFrame(grabber.get());
    const camtest::VideoShape shape = camtest::grabberShape(grabber.get());
    EXPECT_TRUE(camtest::matchPicture(frame, shape.width, shape.height).has_value());
    return shape;
}

// The default camera offers 640x480 first; the request puts 320x240 at 30
// frames per second on every format before the Null Renderer is connected.
TEST_F(CaptureFormat, RequestedFormatIsWhatTheFramesCarry) {
    useCamera({});
    vcx_SetDevWidth(320);
    vcx_SetDevHeight(240);
    vcx_SetDevFrameRate(30.0);
    harness::GraphSpy spy;
    ASSERT_EQ(vcx_Open(0, 6, 0, 0, 0), 0);
    vcx::ComPtr<IGraphBuilder> graph = spy.takeGraph();
    ASSERT_GE(vcx_Play2(), 0);
    const camtest::VideoShape shape = grabbedShape(graph.get());
    EXPECT_EQ(shape.width, 320);
    EXPECT_EQ(shape.height, 240);
    EXPECT_EQ(shape.interval, 333333);
}

TEST_F(CaptureFormat, RefusedFormatOpensWithOneAndRunsInTheCamerasFormat) {
    useCamera({L"Stubborn camera", {L"640x480@30", L"320x240@30"}, 0, 1});
    vcx_SetDevWidth(320);
    vcx_SetDevHeight(240);
    harness::GraphSpy spy;
    ASSERT_EQ(vcx_Open(0, 6, 0, 0, 0), 1);
    vcx::ComPtr<IGraphBuilder> graph = spy.takeGraph();
    EXPECT_EQ(vcx_GetRef(), 2);
    ASSERT_GE(vcx_Play2(), 0);
    EXPECT_EQ(vcx_GetRef(), 3);
    EXPECT_EQ(grabbedShape(graph.get()).width, 640);
}

TEST_F(CaptureFormat, CameraWithoutStreamConfigFailsOpenOnlyWhenAFormatIsRequested) {
    useCamera({L"Fixed camera", {}, 0, 0, 1});
    vcx_SetDevFrameRate(30.0);
    EXPECT_EQ(vcx_Open(0, 6, 0, 0, 0), -57);
    EXPECT_EQ(vcx_GetRef(), 0);
    EXPECT_EQ(vcx_SetDevCapConfig(), -2) << "the failed open left no graph";
    vcx_SetDevFrameRate(0.0);
    EXPECT_EQ(vcx_Open(0, 6, 0, 0, 0), 0);
}

// The compressor open chose for AVI capture gets the dialog code first and
// the window, sign-extended, second; vcxcam records both instead of showing
// a dialog.
TEST_F(CaptureFormat, CompressorDialogReachesTheChosenCompressor) {
    useCamera({});
    wchar_t folder[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, folder), 0u);
    const std::wstring file = std::wstring(folder) + L"vcxcap-dialog.avi";
    ASSERT_EQ(vcx_Open(0, 300, 0, reinterpret_cast<vcx_intptr>(file.c_str()),
                       reinterpret_cast<vcx_intptr>(L"vcxcam Identity Compressor")),
              0);
    harness::deleteTree(HKEY_CURRENT_USER, vcxcam::kLastDialogKey);
    EXPECT_EQ(vcx_CodecDialog(-2, VfwCompressDialog_About), S_OK);
    EXPECT_EQ(harness::readDword(HKEY_CURRENT_USER, vcxcam::kLastDialogKey, L"Dialog"),
              static_cast<DWORD>(VfwCompressDialog_About));
    // vcxcam records the handle's pointer-sized value: 32 bits in a 32-bit process.
    const auto window = static_cast<ULONGLONG>(static_cast<UINT_PTR>(INT_PTR{-2}));
    EXPECT_EQ(harness::readQword(HKEY_CURRENT_USER, vcxcam::kLastDialogKey, L"Window"), window);
    ASSERT_EQ(vcx_Close(), 0);
    EXPECT_EQ(vcx_CodecDialog(-2, VfwCompressDialog_About), -1) << "closed: no compressor";
    harness::deleteTree(HKEY_CURRENT_USER, vcxcam::kLastDialogKey);
    DeleteFileW(file.c_str());
}

} // namespace
