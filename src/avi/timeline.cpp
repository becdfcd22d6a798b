#include "avi/timeline.h"

#include "avi/video_stream.h"

#include <algorithm>

namespace vcx::avi {

namespace {

// a / b rounded to the nearest, for a >= 0 and b > 0.
ULONGLONG roundedQuotient(REFERENCE_TIME a, REFERENCE_TIME b) {
    return static_cast<ULONGLONG>((a + b / 2) / b);
}

DWORD clampToDword(ULONGLONG value) {
    return value > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<DWORD>(value);
}

REFERENCE_TIME median(std::vector<REFERENCE_TIME> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace

std::optional<REFERENCE_TIME> JumpWatch::next(REFERENCE_TIME time) {
    if (!started_) {
        started_ = true;
        first_ = time;
        previous_ = time;
        return std::nullopt;
    }
    const REFERENCE_TIME step = time - previous_;
    previous_ = time;
    if (step < 0 || step > kMaxTimeStep) {
        return step;
    }
    return std::nullopt;
}

VideoTimeline::VideoTimeline(REFERENCE_TIME formatInterval)
    : formatInterval_(formatInterval), interval_(formatInterval) {}

VideoTimeline::Placement VideoTimeline::place(REFERENCE_TIME time, bool arrived) {
    Placement placement;
    const bool first = !watch_.started();
    const REFERENCE_TIME previous = first ? time : lastTime_;
    placement.jump = watch_.next(time);
    lastTime_ = time;
    ULONGLONG place = next_;
    if (first || placement.jump) {
        anchorTime_ = time;
        anchorPlace_ = next_;
    } else {
        const REFERENCE_TIME step = time - previous;
        if (interval_ == 0) {
            // Estimating: one place per frame until the spacings are in.
            spacings_.push_back(step);
            if (spacings_.size() == kEstimateSpacings) {
                interval_ = std::max(median(spacings_), kMinFrameInterval);
                anchorTime_ = time;
                anchorPlace_ = next_;
            }
        } else {
            const REFERENCE_TIME since = time - anchorTime_;
            const ULONGLONG steps = arrived ? static_cast<ULONGLONG>(since / interval_)
                                            : roundedQuotient(since, interval_);
            place = std::max(place, anchorPlace_ + steps);
        }
        placedTime_ += step;
        placedSteps_ += place + 1 - next_;
    }
    placement.drops = place - next_;
    next_ = place + 1;
    return placement;
}

REFERENCE_TIME VideoTimeline::headerInterval() const {
    if (formatInterval_ != 0) {
        return formatInterval_;
    }
    if (placedSteps_ == 0) {
        return interval_ != 0 ? interval_ : kDefaultFrameInterval;
    }
    const auto steps = static_cast<REFERENCE_TIME>(placedSteps_);
    return std::max((placedTime_ + steps / 2) / steps, kMinFrameInterval);
}

DWORD videoLead(REFERENCE_TIME videoFirst, REFERENCE_TIME videoInterval,
                REFERENCE_TIME audioFirst) {
    if (audioFirst >= videoFirst) {
        return 0;
    }
    return clampToDword(
        static_cast<ULONGLONG>((videoFirst - audioFirst + videoInterval - 1) / videoInterval));
}

StreamStarts streamStarts(REFERENCE_TIME videoFirst, REFERENCE_TIME videoInterval,
                          REFERENCE_TIME audioFirst, DWORD blockAlign, DWORD bytesPerSecond,
                          DWORD leadKept) {
    const DWORD lead = std::max(videoLead(videoFirst, videoInterval, audioFirst), leadKept);
    const REFERENCE_TIME origin = videoFirst - static_cast<REFERENCE_TIME>(lead) * videoInterval;
    const double blocks = static_cast<double>(audioFirst - origin) * bytesPerSecond /
                          (static_cast<double>(blockAlign) * 1e7);
    StreamStarts starts;
    starts.videoFrames = lead - leadKept;
    starts.audioBlocks = blocks >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<DWORD>(blocks + 0.5);
    return starts;
}

} // namespace vcx::avi
