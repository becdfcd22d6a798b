// The camera's streaming thread: it exists from Pause (out of Stopped) until
// Stop, and while the filter runs it draws the test picture and delivers a
// frame to every connected pin at the format's rate, stamped from the graph
// clock.
#pragma once

#include "camera_faults.h"
#include "filterbase/output_pin.h"
#include "stream_stats.h"
#include "filterbase/sync.h"

#include "core/com_ptr.h"

#include <windows.h>
#include <strmif.h>

#include <cstdint>
#include <vector>

namespace vcxcam {

class CameraStream {
  public:
    CameraStream() = default;
    CameraStream(const CameraStream&) = delete;
    CameraStream& operator=(const CameraStream&) = delete;
    ~CameraStream() { stop(); }

    // Starts the (idle) thread for the connected ones of pins; no thread when
    // none is connected. The first pin's frame interval paces the stream.
    HRESULT start(const std::vector<filterbase::OutputPin*>& pins);
    // Begins delivering: frame 0 goes out at stream time 0 (start is the
    // graph's start time on clock) or at once when there is no clock.
    void run(REFERENCE_TIME start, IReferenceClock* clock);
    // Stops delivering; the thread waits for the next run.
    void pause();
    // Ends and joins the thread. The allocators must be decommitted first, so
    // that a thread waiting for a buffer returns.
    void stop();

    StreamStats stats();

    // The faults that decide each frame time first (none: every frame goes).
    void setFaults(CameraFaults* faults) { faults_ = faults; }

  private:
    struct Target {
        filterbase::OutputPin* pin;
        int width;
        int height;
        std::size_t bytes;
        bool active; // cleared for the rest of a run when downstream refuses a frame
    };

    enum class Mode { Idle, Running, Quit };

    static DWORD WINAPI threadMain(void* self);
    void streamLoop();
    // Waits until running (true) or told to quit (false); takes the run's
    // parameters.
    bool waitForRun(std::uint64_t& generation, REFERENCE_TIME& start, IReferenceClock*& clock);
    bool runChanged(std::uint64_t generation);
    REFERENCE_TIME now(IReferenceClock* clock) const;
    // Delivers frame number frame to every active target; returns how many
    // took it.
    int deliverFrame(std::uint32_t frame, bool timed, REFERENCE_TIME streamTime);

    filterbase::CriticalSection lock_;
    std::vector<Target> targets_;
    std::vector<vcx::ComPtr<IMediaSample>> samples_; // one per target, filled per frame
    REFERENCE_TIME interval_ = 0;
    HANDLE thread_ = nullptr;
    HANDLE wake_ = nullptr; // auto-reset: set on every change of mode
    Mode mode_ = Mode::Idle;
    std::uint64_t generation_ = 0; // counts runs
    REFERENCE_TIME start_ = 0;
    IReferenceClock* clock_ = nullptr;
    LONG64 framesDelivered_ = 0;
    LONG64 framesSkipped_ = 0;
    // Fault hooks: the configured faults, and the performance counter when
    // the newest delivery began (for the benchmarks).
    CameraFaults* faults_ = nullptr;
    LONG64 lastDeliveryCounter_ = 0;
    LONG64 deliveriesBegun_ = 0;
};

} // namespace vcxcam
