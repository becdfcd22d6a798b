// The frame sequence of the active slot: how many frames reached its Sample
// Grabber, the newest one's time and the rate they arrive at.
#include "frames/frame_sequence.h"

#include "vcxcap.h"

#include "core/platform.h"
#include "frames/frame_counter.h"

namespace vcx {

void attachFrameCounter(CaptureSlot& slot) {
    FrameCounter* counter = FrameCounter::create();
    if (counter == nullptr) {
        return;
    }
    if (slot.grabber->SetCallback(counter, 0) != S_OK) {
        // An answer that is no S_OK may still have installed it: nothing of
        // the refused counter stays with the grabber.
        slot.grabber->SetCallback(nullptr, 0);
        counter->Release();
        return;
    }
    slot.frameCounter = counter;
}

namespace {

// Whole milliseconds in a span of 100 ns units, rounded down.
int64_t floorMilliseconds(int64_t units) {
    constexpr int64_t kUnitsPerMs = 10'000;
    return units >= 0 ? units / kUnitsPerMs : -((-units + kUnitsPerMs - 1) / kUnitsPerMs);
}

} // namespace
} // namespace vcx

using namespace vcx;

extern "C" int VCXAPI vcx_GetFrameCount(void) {
    const int32_t guard = checkSlotState(kGuardSlotOpen);
    if (guard < 0) {
        return guard;
    }
    const FrameCounter* counter = activeSlot().frameCounter;
    if (counter == nullptr) {
        return -2;
    }
    return clampToInt32(counter->frames());
}

extern "C" int VCXAPI vcx_GetFrameTime(int* milliseconds) {
    const int32_t guard = checkSlotState(kGuardSlotOpen);
    if (guard < 0) {
        return guard;
    }
    if (milliseconds == nullptr) {
        return -2;
    }
    const FrameCounter* counter = activeSlot().frameCounter;
    if (counter == nullptr) {
        return -3;
    }
    FrameCounter::Stamp stamp{};
    if (!counter->newest(stamp)) {
        return -4;
    }
    if (stamp.timed) {
        *milliseconds = clampToInt32(floorMilliseconds(stamp.start));
        return 0;
    }
    // No time stamp (a preview stream): its arrival after the first frame's.
    const int64_t ticks = stamp.arrival - counter->firstArrival();
    *milliseconds = clampToInt32(ticks * 1000 / counter->frequency());
    return 1;
}

extern "C" int VCXAPI vcx_GetFrameRate(void) {
    const int32_t guard = checkSlotState(kGuardSlotOpen);
    if (guard < 0) {
        return guard;
    }
    const FrameCounter* counter = activeSlot().frameCounter;
    if (counter == nullptr) {
        return -2;
    }
    LARGE_INTEGER now{};
    platform().queryPerformanceCounter(&now);
    return counter->rateMilli(now.QuadPart);
}
