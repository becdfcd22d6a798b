// The capture format on Wine's DirectShow with vcxcam cameras: the format
// lists of a configured camera, and the dialogs' failure that needs no frame.
#include <gtest/gtest.h>

#include "harness.h"
#include "library.h"
#include "vcxcap.h"

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
        vcx_SetDevWidth(0);
        vcx_SetDevHeight(0);
        vcx_SetDevFrameRate(0.0);
    }
};

// One list read with its size query, from an empty buffer.
std::string listOf(int type) {
    const int size = vcx_GetDevCapConfigSize(type);
    EXPECT_GT(size, 0);
    EXPECT_EQ(vcx_GetBufferSize(7 + type), size);
    std::vector<std::vector<char>> buffers(3, std::vector<char>(size > 0 ? size : 1, '\0'));
    EXPECT_EQ(vcx_GetDevCapConfig(buffers[0].data(), buffers[1].data(), buffers[2].data()), 0);
    const std::string text = buffers[type].data();
    EXPECT_EQ(static_cast<int>(text.size()) + 1, size) << "the size query and the list disagree";
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

TEST_F(CaptureFormat, FilterFrameOfAnUnknownNameIsRefused) {
    useCamera({});
    ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    EXPECT_EQ(vcx_FilterProp(0, L"No Such Filter"), -2);
}

} // namespace
