// vcxcap.dll on Wine's DirectShow with no video input device at all: the
// lifecycle, slot selection and the failure paths of vcx_Open that need no
// camera.
#include <gtest/gtest.h>

#include "harness.h"
#include "library.h"
#include "vcxcap.h"

namespace {

class NoCamera : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { harness::removeCameras(); }
    static void TearDownTestSuite() { harness::restoreDefaultCameras(); }

    void SetUp() override {
        ASSERT_TRUE(harness::videoInputDeviceNames().empty())
            << "the video input category should be empty once vcxcam is unregistered";
    }
    void TearDown() override { harness::resetLibrary(); }
};

TEST_F(NoCamera, InitAndExitPairUp) {
    EXPECT_EQ(vcx_Version(), 210) << "before vcx_Init";

    EXPECT_EQ(vcx_Init(), 0) << "COM starts on a thread that had none";
    EXPECT_EQ(vcx_Init(), -1) << "a second vcx_Init without vcx_Exit";
    EXPECT_EQ(vcx_Version(), 210) << "after vcx_Init";
    EXPECT_EQ(vcx_Exit(), 0);
    EXPECT_EQ(vcx_Exit(), -1) << "a second vcx_Exit";

    EXPECT_EQ(vcx_Open(0, 6, 0, 0, 0), -1) << "vcx_Open after vcx_Exit";
    EXPECT_EQ(vcx_GetRef(), 0);

    EXPECT_EQ(vcx_Init(), 0) << "the library starts again after vcx_Exit";
    EXPECT_EQ(vcx_Exit(), 0);
}

TEST_F(NoCamera, ActiveSlotStaysInRange) {
    ASSERT_EQ(vcx_SetActiveSel(31), 0);
    EXPECT_EQ(vcx_GetActiveSel(), 31);
    EXPECT_EQ(vcx_SetActiveSel(32), -1);
    EXPECT_EQ(vcx_GetActiveSel(), 31) << "a refused index leaves the active slot alone";
    EXPECT_EQ(vcx_SetActiveSel(-1), -1);
    EXPECT_EQ(vcx_GetActiveSel(), 31);
    ASSERT_EQ(vcx_SetActiveSel(0), 0);
    EXPECT_EQ(vcx_GetActiveSel(), 0);
}

TEST_F(NoCamera, OpenFailsAndLeavesTheSlotClosed) {
    ASSERT_EQ(vcx_Init(), 0);
    EXPECT_EQ(vcx_GetRef(), 0);

    EXPECT_EQ(vcx_Open(-1, 6, 0, 0, 0), -6) << "negative device index";
    EXPECT_EQ(vcx_Open(0, 6, -1, 0, 0), -6) << "negative reserved";
    EXPECT_EQ(vcx_GetRef(), 0);

    // Wine answers an empty video input category with S_FALSE and no
    // enumerator.
    EXPECT_EQ(vcx_Open(0, 6, 0, 0, 0), -3);
    EXPECT_EQ(vcx_GetRef(), 0) << "a failed open leaves the slot closed";
    EXPECT_EQ(vcx_Close(), -1) << "nothing to close";

    EXPECT_EQ(vcx_Exit(), 0);
}

} // namespace
