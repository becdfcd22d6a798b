// The faults a camera can be configured to show (StallAfter, LoseAfter,
// DropEvery, and DeliverEvery, a device slower than its format:
// vcxcam/README.md), decided frame time by frame time on the streaming
// thread, and the dropped-frame counts its capture pin reports through
// IAMDroppedFrames.
#pragma once

#include "config.h"

#include <windows.h>
#include <strmif.h>

#include <atomic>

namespace vcxcam {

class CameraFaults {
  public:
    explicit CameraFaults(const CameraConfig& config)
        : stallAfter_(config.stallAfter), loseAfter_(config.loseAfter),
          dropEvery_(config.dropEvery), deliverEvery_(config.deliverEvery) {}

    enum class Fate {
        kDeliver,  // send the frame
        kDrop,     // leave it out and count it dropped
        kWithhold, // send nothing: stalled, the device is gone, or a frame time it skips
    };

    // A new stream (pause from stopped): the counts start again. events is
    // the graph's sink that hears of a lost device (not counted: the graph
    // outlives the stream), device what the event names; either may be null.
    void begin(IMediaEventSink* events, IUnknown* device);

    // What becomes of the frame due now; on the streaming thread, once per
    // frame time. The frame time after the LoseAfter-th frame tells the
    // graph EC_DEVICE_LOST (device removed) once.
    Fate next();

    // Since begin(): frames left out, and frames passed on.
    long dropped() const { return dropped_.load(); }
    long delivered() const { return delivered_.load(); }
    // The frame numbers (1: the first frame time of the stream) of the first
    // count dropped frames.
    long droppedFrame(long index) const { return (index + 1) * static_cast<long>(dropEvery_); }

  private:
    const DWORD stallAfter_;
    const DWORD loseAfter_;
    const DWORD dropEvery_;
    const DWORD deliverEvery_;
    IMediaEventSink* events_ = nullptr;
    IUnknown* device_ = nullptr;
    DWORD frameTimes_ = 0;
    bool lost_ = false;
    std::atomic<long> dropped_{0};
    std::atomic<long> delivered_{0};
};

} // namespace vcxcam
