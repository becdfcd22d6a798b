// vcx_Open and vcx_Close on the default vcxcam camera through Wine's
// DirectShow: slot states, device indexes, and that closing gives the graph
// and the camera back.
#include <gtest/gtest.h>

#include "harness.h"
#include "ids.h"
#include "library.h"
#include "heap_usage.h"
#include "vcxcap.h"

#include <objbase.h>

#include <string>
#include <vector>

namespace {

// The mode that builds the graph core and adds the device, no output.
constexpr int kNoOutput = 5;

class DefaultCamera : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { harness::restoreDefaultCameras(); }

    void SetUp() override {
        ASSERT_EQ(harness::videoInputDeviceNames(),
                  std::vector<std::wstring>{vcxcam::kDefaultFriendlyName});
        ASSERT_EQ(vcx_Init(), 0);
    }
    void TearDown() override { harness::resetLibrary(); }
};

// Whether vcxcam.dll is still loaded once COM has let go of every DLL that
// says it may be unloaded (delay 0: at once). The camera answers
// DllCanUnloadNow with S_OK only when none of its objects is alive.
bool cameraModuleLoaded() {
    CoFreeUnusedLibrariesEx(0, 0);
    return GetModuleHandleW(L"vcxcam.dll") != nullptr;
}

TEST_F(DefaultCamera, OpensOncePerSlotAndOnlyExistingDevices) {
    ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    EXPECT_EQ(vcx_GetRef(), 2);
    EXPECT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), -2) << "the slot is open already";
    EXPECT_EQ(vcx_GetRef(), 2) << "the refused open leaves the open slot alone";

    ASSERT_EQ(vcx_SetActiveSel(1), 0);
    EXPECT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0) << "the same camera in a second slot";
    EXPECT_EQ(vcx_GetRef(), 2);

    ASSERT_EQ(vcx_SetActiveSel(2), 0);
    EXPECT_EQ(vcx_Open(1, kNoOutput, 0, 0, 0), -4) << "one camera: index 1 is past the end";
    EXPECT_EQ(vcx_GetRef(), 0);
    EXPECT_EQ(vcx_Close(), -1);
}

TEST_F(DefaultCamera, CloseEndsTheSlotAndItOpensAgain) {
    ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    EXPECT_EQ(vcx_Close(), 0);
    EXPECT_EQ(vcx_GetRef(), 0);
    EXPECT_EQ(vcx_Close(), -1) << "a second close";

    EXPECT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0) << "reopen";
    EXPECT_EQ(vcx_GetRef(), 2);
    EXPECT_EQ(vcx_Close(), 0);
}

TEST_F(DefaultCamera, CloseReleasesTheCamera) {
    ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    ASSERT_EQ(vcx_SetActiveSel(1), 0);
    ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    ASSERT_TRUE(cameraModuleLoaded()) << "two open slots hold a camera each";

    ASSERT_EQ(vcx_Close(), 0);
    EXPECT_TRUE(cameraModuleLoaded()) << "slot 0 still holds its camera";

    ASSERT_EQ(vcx_SetActiveSel(0), 0);
    ASSERT_EQ(vcx_Close(), 0);
    EXPECT_FALSE(cameraModuleLoaded()) << "a camera object outlived the last close";
}

// An open/close cycle that kept any of its objects would keep at least 900
// bytes of heap (the camera filter alone; a graph keeps about 4 KB). Wine's
// own leaks, which vcxcap cannot avoid, come to 48 bytes a cycle.
TEST_F(DefaultCamera, OpenCloseCyclesGiveTheirMemoryBack) {
    const auto cycle = [] {
        ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
        ASSERT_EQ(vcx_Close(), 0);
    };
    // The first rounds load DLLs and fill caches that stay.
    for (int round = 0; round < 5; ++round) {
        ASSERT_NO_FATAL_FAILURE(cycle());
    }
    constexpr int kCycles = 50;
    constexpr std::size_t kAllowedPerCycle = 200;
    const std::size_t before = harness::heapBytesInUse();
    for (int round = 0; round < kCycles; ++round) {
        ASSERT_NO_FATAL_FAILURE(cycle());
    }
    const std::size_t after = harness::heapBytesInUse();
    EXPECT_LE(after, before + kCycles * kAllowedPerCycle)
        << "heap in use grew by " << static_cast<long long>(after - before) << " bytes over "
        << kCycles << " open/close cycles";
}

} // namespace
