// The frame sequence of the active slot: how many frames reached its Sample
// Grabber, the newest one's time and the rate they arrive at.
#include "frames/frame_sequence.h"

#include "vcxcap.h"

#include "core/platform.h"
#include "frames/frame_counter.h"
#include "frames/grabber_steps.h"

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

int32_t applyFrameQueue(CaptureSlot& slot) {
    FrameCounter* counter = slot.frameCounter;
    if (counter == nullptr) {
        return 0;
    }
    if (slot.frameQueueDepth <= 0) {
        counter->setQueue(nullptr);
        return 0;
    }
    ConnectedFormat format;
    if (slot.grabber == nullptr || !readGrabberFormat(slot.grabber, format)) {
        counter->setQueue(nullptr);
        return -4;
    }
    FrameQueue* queue = FrameQueue::create(slot.frameQueueDepth, format.sampleSize());
    counter->setQueue(queue);
    return queue == nullptr ? -3 : 0;
}

void noteRunStart(CaptureSlot& slot) {
    slot.runStartTick = platform().getTickCount64();
    slot.framesAtRun = slot.frameCounter != nullptr ? slot.frameCounter->frames() : 0;
    slot.events.streamEnded = 0;
}

void wakeFrameWait(const CaptureSlot& slot) {
    if (library().waitInProgress && slot.frameCounter != nullptr) {
        platform().setEvent(slot.frameCounter->event());
    }
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
    return exportedFrameNumber(counter->frames());
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
