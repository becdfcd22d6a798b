// A thousand captures on the vcxcam camera, each opened into the Null
// Renderer, run, grabbed from, stopped and closed, four slots at a time:
// every frame is the camera's picture, and handles, threads and memory stay
// where they were after a warm-up, but for what Wine itself keeps per graph
// (measured alongside with the same work done without the library: 4
// handles and 48 heap bytes a cycle on Wine 8.0). The bound: the library's
// growth over the 1000 cycles is at most Wine's own for as many cycles plus
// 16 handles, 64 KiB of heap and 1 MiB of private memory.
#include <gtest/gtest.h>

#include "endurance_support.h"
#include "harness.h"
#include "library.h"
#include "vcxcap.h"

#include <windows.h>

#include <array>
#include <string>

namespace {

constexpr const wchar_t* kCamera = L"Endurance camera";
constexpr int kWidth = 160;
constexpr int kHeight = 120;
constexpr int kCycles = 1000;
constexpr int kWarmUpCycles = 40;
constexpr int kReportEvery = 250;
constexpr int kBareCycles = 40;
constexpr int kSlotsInFlight = 4;
constexpr int kNullRenderer = 6;
constexpr int kNoFrameYet = -7;
constexpr ULONGLONG kFrameTimeoutMs = 5000;

// Slots in flight take turns: a closed slot is opened and run, a running one
// is grabbed from as soon as it has a frame, then stopped and closed.
class CycleRunner {
  public:
    // Runs cycles complete cycles; false (with a failure reported) when one
    // went wrong.
    bool run(int cycles) {
        int started = 0;
        int finished = 0;
        while (finished < cycles) {
            for (int slot = 0; slot < kSlotsInFlight; ++slot) {
                vcx_SetActiveSel(slot);
                if (vcx_GetRef() == 0) {
                    if (started < cycles && !start(slot)) {
                        return false;
                    }
                    started += started < cycles;
                } else if (const int done = finish(slot); done < 0) {
                    return false;
                } else {
                    finished += done;
                }
            }
            Sleep(2);
        }
        return true;
    }

  private:
    bool start(int slot) {
        const int opened = vcx_Open(0, kNullRenderer, 0, 0, 0);
        const int played = opened == 0 ? vcx_Play2() : -100;
        EXPECT_EQ(opened, 0) << "slot " << slot;
        EXPECT_GE(played, 0) << "slot " << slot;
        startedAt_[slot] = GetTickCount64();
        return opened == 0 && played >= 0;
    }

    // 1 when the slot's cycle ended, 0 when its frame is not there yet, -1 on
    // a failure.
    int finish(int slot) {
        endurance::Frame frame = endurance::grabFrame(0);
        if (frame.result == kNoFrameYet) {
            const bool late = GetTickCount64() - startedAt_[slot] > kFrameTimeoutMs;
            EXPECT_FALSE(late) << "slot " << slot << " had no frame within 5 s";
            return late ? -1 : 0;
        }
        const bool picture = endurance::isCameraPicture(frame, kWidth, kHeight);
        EXPECT_TRUE(picture) << "slot " << slot << ": vcx_GetImageMem answered " << frame.result;
        const int stopped = vcx_Stop();
        const int closed = vcx_Close();
        EXPECT_EQ(stopped, 0);
        EXPECT_EQ(closed, 0);
        return picture && stopped == 0 && closed == 0 ? 1 : -1;
    }

    std::array<ULONGLONG, kSlotsInFlight> startedAt_{};
};

class Cycles : public endurance::LibraryTest<> {
  protected:
    static void SetUpTestSuite() {
        harness::configureCameras({{kCamera, {endurance::formatLine(kWidth, kHeight, 30)}}});
    }
};

TEST_F(Cycles, AThousandLeaveHandlesThreadsAndMemoryFlat) {
    CycleRunner runner;
    ASSERT_TRUE(runner.run(kWarmUpCycles));
    const endurance::Counters start = endurance::readCounters();
    endurance::report("after " + std::to_string(kWarmUpCycles) + " warm-up cycles", start);
    for (int done = 0; done < kCycles; done += kReportEvery) {
        ASSERT_TRUE(runner.run(kReportEvery));
        endurance::report("after " + std::to_string(done + kReportEvery) + " cycles",
                          endurance::readCounters());
    }
    const endurance::Counters growth = endurance::readCounters() - start;
    endurance::report("growth over " + std::to_string(kCycles) + " cycles", growth);
    const endurance::Counters bare = endurance::growthOver(
        kBareCycles, [] { endurance::bareCapture(kCamera, endurance::Renderer::Null); });
    // (appended rather than added to a literal: i686 GCC 12 takes that for an
    // overlapping copy, -Wrestrict)
    std::string bareLabel = "growth over ";
    bareLabel += std::to_string(kBareCycles) + " bare Wine cycles";
    endurance::report(bareLabel, bare);
    EXPECT_LE(growth.threads, 2);
    EXPECT_LE(growth.handles, bare.handles * kCycles / kBareCycles + 16);
    EXPECT_LE(growth.heapBytes, bare.heapBytes * kCycles / kBareCycles + 65536);
    EXPECT_LE(growth.privateBytes, bare.privateBytes * kCycles / kBareCycles + (1 << 20));
}

} // namespace
