// The layout of an AVI file with one video stream, written as frames come:
//
//   RIFF 'AVI '  LIST 'hdrl' (avih, LIST 'strl' (strh, strf, indx), LIST 'odml' (dmlh))
//                LIST 'movi' (00dc frame chunks, ix00 standard index)  idx1
//   RIFF 'AVIX'  LIST 'movi' (00dc ..., ix00)          one per further segment
//
// A segment (RIFF chunk) holds at most AviLimits::segmentBytes, its indices
// included; the super index (indx) points at every segment's standard index,
// idx1 covers the first segment. avih counts the frames of the first segment,
// strh and dmlh all of them. finish() keeps the frames the file holds whole,
// cuts off anything after them, and writes indices and headers, so the file
// is complete after a failed write too when the file still takes those.
#pragma once

#include "avi/buffered_output.h"
#include "avi/video_stream.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vcx::avi {

struct AviLimits {
    ULONGLONG segmentBytes = ULONGLONG{1} << 30; // one GiB, as older readers expect
    DWORD superIndexEntries = 4096;              // room for this many segments
    std::size_t bufferBytes = std::size_t{1} << 20;
};

class AviFile {
  public:
    AviFile(FileOutput& file, const AviLimits& limits);
    AviFile(const AviFile&) = delete;
    AviFile& operator=(const AviFile&) = delete;

    // Empties the file and starts a recording of stream.
    HRESULT begin(const VideoStream& stream);
    // Appends one frame. A failure leaves the frame out; call finish() then.
    HRESULT addFrame(const void* data, DWORD bytes, bool keyFrame);
    // Completes the file (nothing when no recording is open).
    HRESULT finish();

    bool recording() const { return open_; }
    ULONGLONG frames() const { return closedFrames_ + segment_.chunks.size(); }

  private:
    struct Chunk {
        ULONGLONG offset; // of the chunk header
        DWORD bytes;      // of the data, without the pad byte
        bool keyFrame;
    };
    struct Segment {
        ULONGLONG riffStart = 0;
        ULONGLONG moviStart = 0; // of the 'movi' type, which the indices count from
        std::vector<Chunk> chunks;
    };
    struct SegmentIndex {
        ULONGLONG offset; // of the ix00 chunk
        DWORD bytes;      // of the ix00 chunk, header included
        DWORD frames;
    };

    bool isFirstSegment() const { return segment_.riffStart == 0; }
    // Whether bytes more at the tail still fit the open segment with its indices.
    bool fits(ULONGLONG bytes) const;
    std::vector<std::uint8_t> buildHeader() const;
    HRESULT writeHeader();
    HRESULT openSegment();
    HRESULT closeSegment();
    HRESULT writeChunkIndices();
    // Drops the frames the file does not hold whole and cuts the file after
    // the rest; segmentKept is false when the open segment went with them.
    HRESULT cutToWholeFrames(bool& segmentKept);

    BufferedOutput out_;
    const AviLimits limits_;
    VideoStream stream_;
    bool open_ = false;
    Segment segment_;
    std::vector<SegmentIndex> index_;
    ULONGLONG closedFrames_ = 0;
    DWORD firstSegmentFrames_ = 0;
    DWORD firstRiffBytes_ = 0;
    DWORD firstMoviBytes_ = 0;
    DWORD largestFrame_ = 0;
};

} // namespace vcx::avi
