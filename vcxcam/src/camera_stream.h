// The camera's streaming thread: it exists from Pause (out of Stopped) until
// Stop, and while the filter runs it delivers a frame to every connected pin
// at the format's rate, from the moment the filter runs (after the camera's
// start-up delay), stamped with stream time from the graph clock.
#pragma once

#include "camera_faults.h"
#include "capability.h"
#include "filterbase/output_pin.h"
#include "stream_stats.h"
#include "filterbase/sync.h"

#include "core/com_ptr.h"

#include <windows.h>
#include <strmif.h>

#include <cstdint>
#include <vector>

namespace vcxcam {

// What the stream calls on its thread each time it has drawn the test picture
// into a buffer, before the buffer is delivered or copied for another pin.
class FrameHook {
  public:
    // A run begins: its frames are numbered from 0 again.
    virtual void runBegins() = 0;
    virtual void frameDrawn(std::uint8_t* bits, int width, int height, std::uint32_t frame) = 0;

  protected:
    ~FrameHook() = default;
};

class CameraStream {
  public:
    // hook: told of every drawn frame; faults: decide each frame time first
    // (none: every frame goes). Both outlive the stream.
    explicit CameraStream(FrameHook* hook = nullptr, CameraFaults* faults = nullptr)
        : hook_(hook), faults_(faults) {}
    CameraStream(const CameraStream&) = delete;
    CameraStream& operator=(const CameraStream&) = delete;
    ~CameraStream() { stop(); }

    // Starts the (idle) thread for the connected ones of pins; no thread when
    // none is connected. The first pin's frame interval paces the stream
    // (unstatedInterval when its type states none); every run waits
    // startupDelayMs milliseconds before its first frame.
    HRESULT start(const std::vector<filterbase::OutputPin*>& pins, DWORD startupDelayMs,
                  REFERENCE_TIME unstatedInterval = 0);
    // Begins delivering: frame 0 is due the start-up delay after now on clock (on
    // the performance counter when there is no clock), and frame n n frame
    // intervals later. start is the graph's stream start on clock: a frame
    // due at clock time t carries stream time t - start, which is negative
    // before the stream start.
    void run(REFERENCE_TIME start, IReferenceClock* clock);
    // Stops delivering; the thread waits for the next run.
    void pause();
    // Ends and joins the thread. The allocators must be decommitted first, so
    // that a thread waiting for a buffer returns.
    void stop();

    StreamStats stats();

  private:
    struct Target {
        filterbase::OutputPin* pin;
        Capability format;
        std::size_t bytes;                 // one frame in the format's subtype
        std::vector<std::uint8_t> picture; // the RGB24 picture before conversion, when not RGB24
        bool active; // cleared for the rest of a run when downstream refuses a frame
    };

    // What one run goes by.
    struct Run {
        std::uint64_t generation;
        REFERENCE_TIME start;  // the graph's stream start, on clock
        REFERENCE_TIME origin; // when frame 0 is due, on clock
        IReferenceClock* clock;
    };

    enum class Mode { Idle, Running, Quit };

    static DWORD WINAPI threadMain(void* self);
    void streamLoop();
    // Waits until running (true, with the run's parameters and a reference
    // to its clock) or told to quit (false).
    bool waitForRun(Run& run);
    bool runChanged(std::uint64_t generation);
    REFERENCE_TIME now(IReferenceClock* clock) const;
    // Delivers frame number frame, stamped with streamTime when timed, to
    // every active target; returns how many took it.
    int deliverFrame(std::uint32_t frame, bool timed, REFERENCE_TIME streamTime);
    // Writes frame number frame into bits in target's format: the test
    // picture drawn, passed to the frame hook, then converted to the format's subtype.
    void makeFrame(Target& target, std::uint32_t frame, std::uint8_t* bits);

    FrameHook* const hook_;
    filterbase::CriticalSection lock_;
    std::vector<Target> targets_;
    std::vector<vcx::ComPtr<IMediaSample>> samples_; // one per target, filled per frame
    REFERENCE_TIME interval_ = 0;
    REFERENCE_TIME startupDelay_ = 0;
    HANDLE thread_ = nullptr;
    HANDLE wake_ = nullptr; // auto-reset: set on every change of mode
    Mode mode_ = Mode::Idle;
    std::uint64_t generation_ = 0; // counts runs
    REFERENCE_TIME start_ = 0;
    REFERENCE_TIME origin_ = 0;
    IReferenceClock* clock_ = nullptr;
    LONG64 framesDelivered_ = 0;
    LONG64 framesSkipped_ = 0;
    // Fault hooks: the configured faults, and the performance counter when
    // the newest delivery began (for the benchmarks).
    CameraFaults* const faults_;
    LONG64 lastDeliveryCounter_ = 0;
    LONG64 deliveriesBegun_ = 0;
};

} // namespace vcxcam
