// Where a recording's samples go in time. Every sample has a time in stream
// time (100 ns units): its start time stamp, or its arrival when it carries
// none (avi_writer.h says how arrivals are read).
//
// Video: frame n of the file shows at n frame intervals. A frame is written
// at the place its time says, counted from an anchor (the stream's first
// frame); a gap of k frame intervals since the previous frame is filled with
// k - 1 empty (drop) chunks, so players keep the timing; a frame due at or
// before the place already reached is written there, as it comes. A frame
// timed by its arrival rather than a stamp only ever comes late, by however
// long the machine took to hand it over, so it is placed by the whole
// intervals since the anchor (rounded down): a frame held up by less than an
// interval writes no drop chunk that the stream did not lose. When the
// type gives no frame interval, the first kEstimateSpacings spacings of the
// frames are written one after another and their median becomes the
// interval that places the rest (the anchor moves to the frame that
// completes them); the file's header then records the mean interval, the
// time between the first and the last frame over the places between them, so
// that the file lasts as long as the recording whatever the estimate.
//
// Jumps: a sample whose time is earlier than its stream's previous one, or
// later by more than kMaxTimeStep, is written as it comes (a video frame
// right after the previous one, the anchor moving to it) and reported once.
//
// Streams that start apart: the stream that starts later waits: the video
// behind drop chunks (its lead, at the head of the file), the audio by its
// header's start (dwStart, in blocks); see videoLead and streamStarts.
#pragma once

#include <windows.h>
#include <strmif.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace vcx::avi {

// The largest step forward between two samples of a stream that keeps its
// time: longer gaps are jumps. At 1000 frames per second, 60 000 drop chunks.
constexpr REFERENCE_TIME kMaxTimeStep = 60 * 10'000'000LL;
// Spacings of frames that estimate the interval of a stream whose type gives none.
constexpr std::size_t kEstimateSpacings = 8;
// Frame interval recorded when a stream's samples tell none (30 frames per second).
constexpr REFERENCE_TIME kDefaultFrameInterval = 333'333;
// How long a video may wait behind its lead of drop chunks while the audio
// plays alone (counted in the type's frame intervals, or 30 fps when it
// states none); a longer wait is made up by the video's header start.
constexpr REFERENCE_TIME kMaxLead = 10 * 10'000'000LL;

// Tells the jumps of one stream's sample times.
class JumpWatch {
  public:
    // Takes the next sample's time; answers the step from the previous one
    // when that is a jump.
    std::optional<REFERENCE_TIME> next(REFERENCE_TIME time);
    bool started() const { return started_; }
    REFERENCE_TIME firstTime() const { return first_; }

  private:
    bool started_ = false;
    REFERENCE_TIME first_ = 0;
    REFERENCE_TIME previous_ = 0;
};

class VideoTimeline {
  public:
    // formatInterval: the type's frame interval, 0 when it gives none.
    explicit VideoTimeline(REFERENCE_TIME formatInterval = 0);

    struct Placement {
        ULONGLONG drops = 0;                // empty chunks to write before the frame
        std::optional<REFERENCE_TIME> jump; // the step, when the frame jumped
    };
    // Places the next frame, whose time is time: its start time stamp, or
    // its arrival when arrived.
    Placement place(REFERENCE_TIME time, bool arrived = false);

    bool started() const { return watch_.started(); }
    REFERENCE_TIME firstTime() const { return watch_.firstTime(); }
    // The interval that places frames; 0 while it is being estimated.
    REFERENCE_TIME placingInterval() const { return interval_; }
    // The frame interval the header records: the type's, else the mean.
    REFERENCE_TIME headerInterval() const;

  private:
    REFERENCE_TIME formatInterval_;
    JumpWatch watch_;
    REFERENCE_TIME interval_ = 0; // what places frames; 0 while estimating
    REFERENCE_TIME lastTime_ = 0;
    std::vector<REFERENCE_TIME> spacings_;
    REFERENCE_TIME anchorTime_ = 0;
    ULONGLONG anchorPlace_ = 0;
    ULONGLONG next_ = 0; // the place of the next chunk
    // Sums over the steps that are no jumps, for the mean interval.
    REFERENCE_TIME placedTime_ = 0;
    ULONGLONG placedSteps_ = 0;
};

// The video's lead when the audio starts first: the fewest whole frame
// intervals that reach from the video's first frame back to the audio's
// first sample or before it; 0 when the video starts first.
DWORD videoLead(REFERENCE_TIME videoFirst, REFERENCE_TIME videoInterval, REFERENCE_TIME audioFirst);

// The starts (dwStart) of a recording's two streams, each in its own units.
struct StreamStarts {
    DWORD videoFrames = 0;
    DWORD audioBlocks = 0;
};

// Where two streams start, both first times known and leadKept drop chunks
// ahead of the video's first frame: the video's start makes up what the lead
// lacks of videoLead, and the audio's start is the blocks from the video's
// first place (its first frame less lead and start) to the audio's first
// sample. Both land where their times say: the video exactly on its frame
// grid, the audio to the nearest block.
StreamStarts streamStarts(REFERENCE_TIME videoFirst, REFERENCE_TIME videoInterval,
                          REFERENCE_TIME audioFirst, DWORD blockAlign, DWORD bytesPerSecond,
                          DWORD leadKept);

} // namespace vcx::avi
