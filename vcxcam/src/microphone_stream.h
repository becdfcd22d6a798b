// The microphone's streaming thread: from Pause (out of Stopped) until Stop.
// While the filter runs it captures the counter signal (audio_signal.h) at
// the device clock's pace and delivers it in buffers of 20 ms, each sent
// once the device clock has counted its last sample frame, stamped with the
// graph's stream time of its first and past its last frame. No frame is
// ever skipped: a thread that falls behind catches up buffer by buffer.
#pragma once

#include "audio_format.h"
#include "device_clock.h"
#include "filterbase/output_pin.h"
#include "filterbase/sync.h"

#include <windows.h>
#include <strmif.h>

#include <cstdint>

namespace vcxcam {

// Buffers per second of a stream.
constexpr std::int64_t kBuffersPerSecond = 50;

// Sample frames in the largest buffer of a format.
inline std::int64_t maxBufferFrames(const AudioFormat& format) {
    return (format.sampleRate + kBuffersPerSecond - 1) / kBuffersPerSecond;
}

// The faults of one stream (counted in sample frames of a run) and who
// hears of a lost device.
struct MicrophoneFaults {
    DWORD stallAfter = 0;
    DWORD loseAfter = 0;
    IMediaEventSink* events = nullptr; // not counted: the graph outlives the stream
    IUnknown* device = nullptr;        // the event's first parameter
};

class MicrophoneStream {
  public:
    explicit MicrophoneStream(DeviceClock& clock) : clock_(clock) {}
    MicrophoneStream(const MicrophoneStream&) = delete;
    MicrophoneStream& operator=(const MicrophoneStream&) = delete;
    ~MicrophoneStream() { stop(); }

    // Starts the idle thread for pin in format; none when pin is unconnected.
    HRESULT start(filterbase::OutputPin* pin, const AudioFormat& format, DWORD startupDelayMs,
                  const MicrophoneFaults& faults);
    // Begins capturing: frame 0 is captured the start-up delay after now.
    // start is the graph's stream start on graphClock; ownClock says whether
    // graphClock is the device clock itself (else the difference between the
    // two, read now, converts the times). Without a graph clock the samples
    // carry no times.
    void run(REFERENCE_TIME start, IReferenceClock* graphClock, bool ownClock);
    void pause();
    // Ends and joins the thread; decommit the allocator first.
    void stop();

    // Sample frames delivered since start.
    std::int64_t framesDelivered() const { return InterlockedCompareExchange64(&delivered_, 0, 0); }

  private:
    struct Run {
        std::uint64_t generation;
        std::int64_t origin;   // the device counter at frame 0
        REFERENCE_TIME offset; // graph clock time minus device clock time
        REFERENCE_TIME start;  // the graph's stream start
        bool timed;
    };
    enum class Mode { Idle, Running, Quit };

    static DWORD WINAPI threadMain(void* self);
    void streamLoop();
    bool waitForRun(Run& run);
    bool runChanged(std::uint64_t generation);
    // Captures one run until it ends or downstream stops taking samples.
    void capture(const Run& run);
    // Delivers frames [first, end) of the run; false when downstream took none.
    bool deliver(const Run& run, std::int64_t first, std::int64_t end);

    DeviceClock& clock_;
    filterbase::CriticalSection lock_;
    filterbase::OutputPin* pin_ = nullptr;
    AudioFormat format_{};
    std::int64_t delayFrames_ = 0;
    MicrophoneFaults faults_{};
    HANDLE thread_ = nullptr;
    HANDLE wake_ = nullptr;
    Mode mode_ = Mode::Idle;
    Run next_{};
    mutable LONG64 delivered_ = 0;
};

} // namespace vcxcam
