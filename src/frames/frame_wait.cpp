// Waiting for the next frame of the running active slot: vcx_WaitFrame, which
// answers the newest frame's number, and vcx_GetNextFrame, which hands over
// the next frame's bits with their number (frames/frame_counter.h says why
// that number is exact).
#include "vcxcap.h"

#include <cstring>

#include "control/graph_events.h"
#include "core/com_ptr.h"
#include "core/platform.h"
#include "core/slots.h"
#include "frames/frame_counter.h"
#include "frames/grabber_steps.h"

namespace vcx {
namespace {

// Results both exports share.
constexpr int32_t kNoCounter = -2;
constexpr int32_t kTimedOut = -3;
constexpr int32_t kDeviceLost = -4;
constexpr int32_t kAfterNegative = -5;
constexpr int32_t kTimeoutNegative = -6;
constexpr int32_t kWaitFailed = -7;

// The steps before any wait: the slot runs, the arguments are in range, the
// slot counts frames. 0 when the wait may begin.
int32_t checkWait(int after, int timeoutMs) {
    const int32_t guard = checkSlotState(kGuardSlotRunning);
    if (guard < 0) {
        return guard;
    }
    if (after < 0) {
        return kAfterNegative;
    }
    if (timeoutMs < -1) {
        return kTimeoutNegative;
    }
    return activeSlot().frameCounter == nullptr ? kNoCounter : 0;
}

// One wait of the host's thread for a frame numbered above after, on the
// counter's event and the graph's event handle (so that a lost device ends
// it), until timeoutMs has passed (-1: no limit).
class FrameWait {
  public:
    // handOver: wait for the next sample itself (see FrameCounter::arm)
    // rather than for the count to pass after.
    FrameWait(CaptureSlot& slot, int after, int timeoutMs, bool handOver)
        : slot_(slot), counter_(*slot.frameCounter), after_(after), handOver_(handOver),
          infinite_(timeoutMs == -1), deadline_(platform().getTickCount64() +
                                                static_cast<ULONGLONG>(infinite_ ? 0 : timeoutMs)) {
        handles_[0] = counter_.event();
        events_ = graphEvents(slot);
        OAEVENT graphHandle = 0;
        if (events_ && events_->GetEventHandle(&graphHandle) == S_OK && graphHandle != 0) {
            handles_[1] = reinterpret_cast<HANDLE>(graphHandle);
            handleCount_ = 2;
        }
        if (handOver_) {
            counter_.arm();
        } else {
            counter_.addWaiter();
        }
    }
    FrameWait(const FrameWait&) = delete;
    FrameWait& operator=(const FrameWait&) = delete;
    ~FrameWait() {
        if (!handOver_) {
            counter_.removeWaiter();
        }
        if (sample_ != nullptr) {
            sample_->Release();
        }
    }

    // The frame's number (above after), or a negative result.
    int32_t run() {
        const Platform& os = platform();
        for (;;) {
            if (frameArrived()) {
                return clampToInt32(number_);
            }
            if (slot_.events.deviceLost) {
                return finish(kDeviceLost);
            }
            // A full set of pending events leaves the graph's handle set:
            // wait on the frames alone then.
            const DWORD count = slot_.events.full() ? 1 : handleCount_;
            const DWORD woke = os.waitForMultipleObjects(count, handles_, FALSE, remainingMs());
            if (woke == WAIT_OBJECT_0 + 1 && count == 2) {
                // A graph that fails to hand out its events would keep its
                // handle set: the frames alone wake this wait then.
                const HRESULT drained = drainGraphEvents(slot_, *events_.get());
                if (FAILED(drained) && drained != E_ABORT) {
                    handleCount_ = 1;
                }
            } else if (woke == WAIT_TIMEOUT) {
                if (frameArrived()) {
                    return clampToInt32(number_);
                }
                if (remainingMs() == 0) {
                    return finish(slot_.events.deviceLost ? kDeviceLost : kTimedOut);
                }
            } else if (woke != WAIT_OBJECT_0) {
                return finish(kWaitFailed);
            }
        }
    }

    // The handed-over sample, owning its reference; after run() answered a
    // number with handOver.
    IMediaSample* takeSample() {
        IMediaSample* sample = sample_;
        sample_ = nullptr;
        return sample;
    }

  private:
    bool frameArrived() {
        if (!handOver_) {
            number_ = counter_.frames();
            return number_ > after_;
        }
        int64_t number = 0;
        IMediaSample* sample = counter_.take(number);
        if (sample == nullptr) {
            return false;
        }
        if (number > after_) {
            sample_ = sample;
            number_ = number;
            return true;
        }
        // A frame the host has seen the number of already: the next one.
        sample->Release();
        counter_.arm();
        return false;
    }

    // Ends a wait that found no frame. A hand-over request that a callback
    // took meanwhile brings its sample in any moment: that frame is the
    // answer then (or given back, when the host has seen its number).
    int32_t finish(int32_t result) {
        if (!handOver_ || counter_.disarm()) {
            return result;
        }
        constexpr DWORD kHandOverStepMs = 1;
        for (;;) {
            int64_t number = 0;
            if (IMediaSample* sample = counter_.take(number)) {
                if (number > after_) {
                    sample_ = sample;
                    number_ = number;
                    return clampToInt32(number);
                }
                sample->Release();
                return result;
            }
            platform().waitForMultipleObjects(1, handles_, FALSE, kHandOverStepMs);
        }
    }

    DWORD remainingMs() const {
        if (infinite_) {
            return INFINITE;
        }
        const ULONGLONG now = platform().getTickCount64();
        return now >= deadline_ ? 0 : static_cast<DWORD>(deadline_ - now);
    }

    CaptureSlot& slot_;
    FrameCounter& counter_;
    const int64_t after_;
    const bool handOver_;
    const bool infinite_;
    const ULONGLONG deadline_;
    ComPtr<IMediaEventEx> events_;
    HANDLE handles_[2] = {};
    DWORD handleCount_ = 1;
    int64_t number_ = 0;
    IMediaSample* sample_ = nullptr;
};

// Copies the handed-over sample's bits to the host and the connected format's
// header after them; 0 or the export's code.
int32_t copySample(IMediaSample& sample, const ConnectedFormat& format, void* bits, int* bitsSize,
                   void* header) {
    BYTE* data = nullptr;
    if (sample.GetPointer(&data) != S_OK || data == nullptr) {
        return -11;
    }
    const long length = sample.GetActualDataLength();
    if (length < 0) {
        return -11;
    }
    if (length > *bitsSize) {
        return -10;
    }
    std::memcpy(bits, data, static_cast<std::size_t>(length));
    *bitsSize = static_cast<int>(length);
    BITMAPINFO frameHeader;
    fillFrameHeader(format, frameHeader);
    std::memcpy(header, &frameHeader, sizeof frameHeader);
    return 0;
}

} // namespace
} // namespace vcx

using namespace vcx;

extern "C" int VCXAPI vcx_WaitFrame(int after, int timeoutMs) {
    if (const int32_t refused = checkWait(after, timeoutMs); refused < 0) {
        return refused;
    }
    FrameWait wait(activeSlot(), after, timeoutMs, false);
    return wait.run();
}

extern "C" int VCXAPI vcx_GetNextFrame(int after, int timeoutMs, void* bits, int* bitsSize,
                                       void* header) {
    if (const int32_t refused = checkWait(after, timeoutMs); refused < 0) {
        return refused;
    }
    if (bits == nullptr || bitsSize == nullptr || header == nullptr) {
        return -8;
    }
    CaptureSlot& slot = activeSlot();
    ConnectedFormat format;
    if (slot.grabber == nullptr || !readGrabberFormat(slot.grabber, format)) {
        return -9;
    }
    // A buffer that cannot hold a frame of the connected format is refused
    // before a frame is taken for it.
    if (*bitsSize < 0 || static_cast<ULONG>(*bitsSize) < format.sampleSize()) {
        return -10;
    }
    FrameWait wait(slot, after, timeoutMs, true);
    const int32_t number = wait.run();
    if (number < 0) {
        return number;
    }
    ComPtr<IMediaSample> sample;
    *sample.put() = wait.takeSample();
    const int32_t copied = copySample(*sample.get(), format, bits, bitsSize, header);
    return copied < 0 ? copied : number;
}
