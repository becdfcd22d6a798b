// Waiting for the next frame of the running active slot: vcx_WaitFrame, which
// answers the newest frame's number, and vcx_GetNextFrame, which hands over
// the next frame's bits with their number (frames/frame_counter.h says why
// that number is exact), from the slot's frame queue when it has one.
//
// A wait keeps the host's thread alive: while it waits it dispatches the
// thread's window messages (the thread is a single-threaded apartment that
// may own the video window's parent and receive calls from other
// apartments). A message handler may call the library meanwhile: the slot's
// objects the wait uses are its own references, a wait called from within a
// wait is refused, and a handler that stops or closes the slot wakes the
// wait, which then answers that the slot no longer runs.
#include "vcxcap.h"

#include <cstring>
#include <optional>
#include <utility>

#include "control/graph_events.h"
#include "core/com_ptr.h"
#include "core/platform.h"
#include "core/slots.h"
#include "frames/frame_counter.h"
#include "frames/frame_queue.h"
#include "frames/frame_sequence.h"
#include "frames/grabber_steps.h"

namespace vcx {
namespace {

// Results both exports share.
constexpr int32_t kNotRunning = -1;
constexpr int32_t kNoCounter = -2;
constexpr int32_t kTimedOut = -3;
constexpr int32_t kDeviceLost = -4;
constexpr int32_t kAfterNegative = -5;
constexpr int32_t kTimeoutNegative = -6;
constexpr int32_t kWaitFailed = -7;
constexpr int32_t kStreamEnded = -12;
constexpr int32_t kNoFirstFrame = -13;
constexpr int32_t kWithinAWait = -14;
// Results of vcx_GetNextFrame alone.
constexpr int32_t kNullArgument = -8;
constexpr int32_t kNoFormat = -9;
constexpr int32_t kBufferTooSmall = -10;
constexpr int32_t kBitsUnreadable = -11;

// A wait without a limit gives a camera this long from the run to its first
// frame, unless the host chose another allowance (vcx_SetStartupAllowance).
constexpr int32_t kDefaultStartupAllowanceMs = 10'000;
// Messages dispatched in one go before the wait looks at its handles again,
// so that a window that always has a message to paint cannot hold it.
constexpr int kMessagesPerRound = 100;

// The steps before any wait: the slot runs, no wait is in progress on the
// thread, the arguments are in range, the slot counts frames. 0 when the
// wait may begin.
int32_t checkWait(int after, int timeoutMs) {
    const int32_t guard = checkSlotState(kGuardSlotRunning);
    if (guard < 0) {
        return guard;
    }
    if (library().waitInProgress) {
        return kWithinAWait;
    }
    if (after < 0) {
        return kAfterNegative;
    }
    if (timeoutMs < -1) {
        return kTimeoutNegative;
    }
    return activeSlot().frameCounter == nullptr ? kNoCounter : 0;
}

// Where a frame handed over goes (see FrameCounter::arm): the host's memory.
struct Destination {
    BYTE* bits;
    std::size_t capacity;
};

// One wait of the host's thread for a frame numbered above after, on the
// counter's event and the graph's event handle (so that a lost device or the
// end of the stream ends it), dispatching the thread's messages, until
// timeoutMs has passed (-1: no limit, but for the start-up allowance).
class FrameWait {
  public:
    // With a destination, the wait asks for the next frame above after to be
    // copied there; without, it waits for the count to pass after.
    FrameWait(CaptureSlot& slot, int after, int timeoutMs,
              std::optional<Destination> destination = std::nullopt)
        : slot_(slot), counter_(*slot.frameCounter), handOver_(destination.has_value()),
          after_(frameNumberOf(after, counter_.frames())), infinite_(timeoutMs == -1),
          deadline_(platform().getTickCount64() +
                    static_cast<ULONGLONG>(infinite_ ? 0 : timeoutMs)) {
        // The wait's own references: a message handler may close the slot.
        counter_.AddRef();
        handles_[0] = counter_.event();
        events_ = graphEvents(slot);
        OAEVENT graphHandle = 0;
        if (events_ && events_->GetEventHandle(&graphHandle) == S_OK && graphHandle != 0) {
            handles_[1] = reinterpret_cast<HANDLE>(graphHandle);
            handleCount_ = 2;
        }
        if (infinite_) {
            const int32_t allowance =
                slot.startupAllowanceSet ? slot.startupAllowanceMs : kDefaultStartupAllowanceMs;
            allowanceEnd_ =
                allowance > 0 ? slot.runStartTick + static_cast<ULONGLONG>(allowance) : 0;
        }
        if (handOver_) {
            counter_.arm(destination->bits, destination->capacity, after_);
        } else {
            counter_.addWaiter();
        }
        library().waitInProgress = true;
    }
    FrameWait(const FrameWait&) = delete;
    FrameWait& operator=(const FrameWait&) = delete;
    ~FrameWait() {
        library().waitInProgress = false;
        if (!handOver_) {
            counter_.removeWaiter();
        }
        if (quitCode_) {
            // A WM_QUIT the wait took off the queue goes back for the host's loop.
            platform().postQuitMessage(*quitCode_);
        }
        counter_.Release();
    }

    // The frame's number in the counter's own numbering (above after), or a
    // negative result.
    int64_t run() {
        for (;;) {
            if (!slotRuns()) {
                return finish(kNotRunning);
            }
            if (frameArrived()) {
                return number_;
            }
            if (slot_.events.deviceLost) {
                return finish(kDeviceLost);
            }
            if (slot_.events.streamEnded != 0) {
                return finish(kStreamEnded);
            }
            const ULONGLONG now = platform().getTickCount64();
            if (allowanceEnd_ != 0 && counter_.frames() > slot_.framesAtRun) {
                allowanceEnd_ = 0; // a frame came since the run: no limit any more
            }
            if (allowanceEnd_ != 0 && now >= allowanceEnd_) {
                return finish(kNoFirstFrame);
            }
            if (!infinite_ && now >= deadline_ && waited_) {
                return finish(kTimedOut);
            }
            if (const int32_t failed = waitOnce(now); failed < 0) {
                return finish(failed);
            }
        }
    }

    // The handed-over frame's length in bytes, or FrameCounter::kTooLarge or
    // kUnreadable; after run() answered a number for a wait with a destination.
    int64_t length() const { return length_; }

    // The counter's number of the frame a host names after.
    int64_t after() const { return after_; }

  private:
    bool slotRuns() const {
        return library().comInitialized != 0 && slot_.state == kSlotRunning &&
               slot_.frameCounter == &counter_;
    }

    bool frameArrived() {
        if (!handOver_) {
            number_ = counter_.frames();
            return number_ > after_;
        }
        return counter_.answered(number_, length_);
    }

    // The time to the nearest end, for the next wait.
    DWORD remainingMs(ULONGLONG now) const {
        ULONGLONG end = infinite_ ? 0 : deadline_;
        if (allowanceEnd_ != 0 && (end == 0 || allowanceEnd_ < end)) {
            end = allowanceEnd_;
        }
        if (end == 0 && infinite_) {
            return INFINITE;
        }
        return now >= end ? 0 : static_cast<DWORD>(end - now);
    }

    // Waits once for a handle or a message, dispatching the messages; 0 or
    // kWaitFailed.
    int32_t waitOnce(ULONGLONG now) {
        const Platform& os = platform();
        // A full set of pending events leaves the graph's handle set: wait on
        // the frames alone then.
        const DWORD count = slot_.events.full() ? 1 : handleCount_;
        // Once the host's WM_QUIT was taken, messages no longer wake the wait.
        const DWORD wakeMask = quitCode_ ? 0 : QS_ALLINPUT;
        const DWORD woke = os.msgWaitForMultipleObjectsEx(count, handles_, remainingMs(now),
                                                          wakeMask, MWMO_INPUTAVAILABLE);
        waited_ = true;
        if (woke == WAIT_OBJECT_0 + count) {
            dispatchMessages();
        } else if (woke == WAIT_OBJECT_0 + 1 && count == 2) {
            // A graph that fails to hand out its events would keep its handle
            // set: the frames alone wake this wait then.
            const HRESULT drained = drainGraphEvents(slot_, *events_.get());
            if (FAILED(drained) && drained != E_ABORT) {
                handleCount_ = 1;
            }
        } else if (woke != WAIT_OBJECT_0 && woke != WAIT_TIMEOUT) {
            return kWaitFailed;
        }
        return 0;
    }

    void dispatchMessages() {
        const Platform& os = platform();
        MSG message;
        for (int i = 0; i < kMessagesPerRound && !quitCode_ &&
                        os.peekMessageW(&message, nullptr, 0, 0, PM_REMOVE);
             ++i) {
            if (message.message == WM_QUIT) {
                quitCode_ = static_cast<int>(message.wParam);
            } else {
                os.translateMessage(&message);
                os.dispatchMessageW(&message);
            }
        }
    }

    // Ends a wait that found no frame. A callback that took the request
    // meanwhile is copying its frame into the host's memory: the wait lets
    // it finish, and that frame is the answer.
    int64_t finish(int32_t result) {
        if (!handOver_ || counter_.disarm()) {
            return result;
        }
        constexpr DWORD kHandOverStepMs = 1;
        while (!counter_.answered(number_, length_)) {
            platform().msgWaitForMultipleObjectsEx(1, handles_, kHandOverStepMs, 0, 0);
        }
        return number_;
    }

    CaptureSlot& slot_;
    FrameCounter& counter_;
    const bool handOver_;
    const int64_t after_;
    const bool infinite_;
    const ULONGLONG deadline_;
    ULONGLONG allowanceEnd_ = 0; // 0: no start-up allowance runs
    bool waited_ = false;        // a limited wait looks at least once
    ComPtr<IMediaEventEx> events_;
    HANDLE handles_[2] = {};
    DWORD handleCount_ = 1;
    int64_t number_ = 0;
    int64_t length_ = 0;
    std::optional<int> quitCode_;
};

// Copies the oldest queued frame above after to the host; 0, 1 when none is
// queued, or the export's code.
int32_t copyQueued(FrameQueue& queue, int64_t after, void* bits, int* bitsSize, int64_t& number) {
    std::size_t length = 0;
    switch (queue.take(after, static_cast<BYTE*>(bits), static_cast<std::size_t>(*bitsSize), number,
                       length)) {
    case FrameQueue::Taken::kCopied:
        *bitsSize = static_cast<int>(length);
        return 0;
    case FrameQueue::Taken::kNone:
        return 1;
    case FrameQueue::Taken::kTooLarge:
    case FrameQueue::Taken::kTooSmall:
        return kBufferTooSmall;
    }
    return kBitsUnreadable;
}

// vcx_GetNextFrame's frame: from the queue when the slot has one (at once when
// it holds a frame above after), else copied into the host's memory by the
// next callback. The frame's number, or the export's code.
int64_t takeNextFrame(CaptureSlot& slot, int after, int timeoutMs, void* bits, int* bitsSize) {
    FrameQueue* queue = slot.frameCounter->queue();
    if (queue == nullptr) {
        FrameWait wait(slot, after, timeoutMs,
                       Destination{static_cast<BYTE*>(bits), static_cast<std::size_t>(*bitsSize)});
        const int64_t number = wait.run();
        if (number < 0) {
            return number;
        }
        switch (wait.length()) {
        case FrameCounter::kTooLarge:
            return kBufferTooSmall;
        case FrameCounter::kUnreadable:
            return kBitsUnreadable;
        default:
            *bitsSize = static_cast<int>(wait.length());
            return number;
        }
    }
    const int64_t from = frameNumberOf(after, slot.frameCounter->frames());
    int64_t number = 0;
    int32_t copied = copyQueued(*queue, from, bits, bitsSize, number);
    if (copied == 1) {
        FrameWait wait(slot, after, timeoutMs);
        const int64_t newest = wait.run();
        if (newest < 0) {
            return newest;
        }
        copied = copyQueued(*queue, from, bits, bitsSize, number);
    }
    // A frame counted but not queued (its bits could not be read).
    return copied == 0 ? number : copied == 1 ? kBitsUnreadable : copied;
}

} // namespace
} // namespace vcx

using namespace vcx;

extern "C" int VCXAPI vcx_WaitFrame(int after, int timeoutMs) {
    if (const int32_t refused = checkWait(after, timeoutMs); refused < 0) {
        return refused;
    }
    FrameWait wait(activeSlot(), after, timeoutMs);
    const int64_t number = wait.run();
    return number < 0 ? static_cast<int32_t>(number) : exportedFrameNumber(number);
}

extern "C" int VCXAPI vcx_GetNextFrame(int after, int timeoutMs, void* bits, int* bitsSize,
                                       void* header) {
    if (const int32_t refused = checkWait(after, timeoutMs); refused < 0) {
        return refused;
    }
    if (bits == nullptr || bitsSize == nullptr || header == nullptr) {
        return kNullArgument;
    }
    CaptureSlot& slot = activeSlot();
    ConnectedFormat format;
    if (slot.grabber == nullptr || !readGrabberFormat(slot.grabber, format)) {
        return kNoFormat;
    }
    // A buffer that cannot hold a frame of the connected format is refused
    // before a frame is taken for it.
    if (*bitsSize < 0 || static_cast<ULONG>(*bitsSize) < format.sampleSize()) {
        return kBufferTooSmall;
    }
    const int64_t number = takeNextFrame(slot, after, timeoutMs, bits, bitsSize);
    if (number < 0) {
        return static_cast<int32_t>(number);
    }
    BITMAPINFO frameHeader;
    fillFrameHeader(format, frameHeader);
    std::memcpy(header, &frameHeader, sizeof frameHeader);
    return exportedFrameNumber(number);
}

extern "C" int VCXAPI vcx_SetFrameQueue(int depth) {
    if (depth < 0 || depth > kMaxFrameQueueDepth) {
        return -1;
    }
    CaptureSlot& slot = activeSlot();
    if (slot.state == kSlotRunning) {
        return -2;
    }
    const int32_t kept = slot.frameQueueDepth;
    slot.frameQueueDepth = depth;
    if (slot.state != kSlotOpen) {
        return 0;
    }
    const int32_t applied = applyFrameQueue(slot);
    if (applied < 0) {
        // Nothing held: the slot keeps no queue, and the depth asked for is
        // not kept either.
        slot.frameQueueDepth = kept;
        return applied;
    }
    return 0;
}

extern "C" int VCXAPI vcx_GetFrameQueue(void) {
    const CaptureSlot& slot = activeSlot();
    if (slot.state == kSlotClosed) {
        return slot.frameQueueDepth;
    }
    const FrameQueue* queue = slot.frameCounter != nullptr ? slot.frameCounter->queue() : nullptr;
    return queue != nullptr ? queue->depth() : 0;
}

extern "C" int VCXAPI vcx_SetStartupAllowance(int milliseconds) {
    if (milliseconds < 0) {
        return -1;
    }
    CaptureSlot& slot = activeSlot();
    slot.startupAllowanceMs = milliseconds;
    slot.startupAllowanceSet = true;
    return 0;
}
