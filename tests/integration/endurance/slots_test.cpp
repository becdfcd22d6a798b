// All 32 slots open and running at once on eight vcxcam cameras of different
// sizes, four slots each: every slot hands out frames of its own camera, and
// they keep coming while the others run; each streams on its own thread, and
// closing them ends every one of those threads.
#include <gtest/gtest.h>

#include "camera_support.h"
#include "endurance_support.h"
#include "harness.h"
#include "library.h"
#include "vcxcap.h"

#include <array>
#include <optional>

namespace {

constexpr int kSlots = 32;
constexpr int kCameras = 8;
constexpr int kNullRenderer = 6;

// Camera c streams (65 + 18c) x (48 + 12c) at 15 fps: no two the same size,
// rows padded.
long widthOf(int camera) {
    return 65 + 18 * camera;
}
long heightOf(int camera) {
    return 48 + 12 * camera;
}

class AllSlots : public endurance::LibraryTest<> {
  protected:
    static void SetUpTestSuite() {
        std::vector<harness::CameraConfig> cameras;
        for (int camera = 0; camera < kCameras; ++camera) {
            cameras.push_back({L"Load camera " + std::to_wstring(camera),
                               {endurance::formatLine(static_cast<int>(widthOf(camera)),
                                                      static_cast<int>(heightOf(camera)), 15)}});
        }
        harness::configureCameras(cameras);
    }
};

// The frame number of the active slot's newest frame, which must be a picture
// of camera's size.
std::optional<std::uint32_t> frameNumber(int slot, int camera) {
    const endurance::Frame frame = endurance::grabFrame();
    EXPECT_TRUE(endurance::isCameraPicture(frame, widthOf(camera), heightOf(camera)))
        << "slot " << slot << " (camera " << camera << "): vcx_GetImageMem answered "
        << frame.result << ", " << frame.header.biWidth << "x" << frame.header.biHeight;
    return camtest::matchPicture(frame.bits, widthOf(camera), heightOf(camera));
}

TEST_F(AllSlots, RunAtOnceEachWithFramesOfItsOwnCamera) {
    const endurance::Counters before = endurance::readCounters();
    for (int slot = 0; slot < kSlots; ++slot) {
        ASSERT_EQ(vcx_SetActiveSel(slot), 0);
        ASSERT_EQ(vcx_Open(slot % kCameras, kNullRenderer, 0, 0, 0), 0) << "slot " << slot;
        ASSERT_GE(vcx_Play2(), 0) << "slot " << slot;
    }
    std::array<std::optional<std::uint32_t>, kSlots> first{};
    for (int slot = 0; slot < kSlots; ++slot) {
        vcx_SetActiveSel(slot);
        EXPECT_EQ(vcx_GetRef(), 3) << "slot " << slot;
        EXPECT_EQ(vcx_GetState(), 2) << "slot " << slot;
        first[slot] = frameNumber(slot, slot % kCameras);
    }
    // Each slot's camera streams on a thread of its own.
    const endurance::Counters running = endurance::readCounters() - before;
    endurance::report("32 slots running", running);
    EXPECT_GE(running.threads, kSlots);
    for (int slot = 0; slot < kSlots; ++slot) {
        vcx_SetActiveSel(slot);
        const std::optional<std::uint32_t> later = frameNumber(slot, slot % kCameras);
        ASSERT_TRUE(first[slot] && later) << "slot " << slot;
        EXPECT_NE(*later, *first[slot]) << "slot " << slot << " stopped streaming";
    }
    for (int slot = 0; slot < kSlots; ++slot) {
        vcx_SetActiveSel(slot);
        EXPECT_EQ(vcx_Close(), 0) << "slot " << slot;
        EXPECT_EQ(vcx_GetRef(), 0) << "slot " << slot;
    }
    const endurance::Counters after = endurance::readCounters() - before;
    endurance::report("32 slots closed", after);
    EXPECT_LE(after.threads, 2) << "streaming threads outlived their slots";
}

} // namespace
