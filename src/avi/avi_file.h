// The layout of an AVI file with a video stream, an audio stream or both,
// written as chunks come:
//
//   RIFF 'AVI '  LIST 'hdrl' (avih, per stream LIST 'strl' (strh, strf, indx),
//                             LIST 'odml' (dmlh))
//                LIST 'movi' (chunks in the order they come, then a standard
//                             index per stream: ix00, ix01)  idx1
//   RIFF 'AVIX'  LIST 'movi' (chunks ..., ix00, ix01)          one per further segment
//
// Streams are numbered video first: the video's chunks are 00dc, the
// audio's 01wb (00wb without video). A video chunk is a frame, or empty (a
// drop chunk: the previous frame shows on, never a key frame); an audio
// chunk holds whole blocks. A segment (RIFF chunk) holds at most
// AviLimits::segmentBytes, its indices included; each stream's super index
// (indx) points at its standard index in every segment that has its chunks,
// idx1 covers the first segment's chunks of both streams. avih counts the
// first stream's chunks of the first segment, strh each stream's length (the
// video in frames, drop chunks included, the audio in blocks), dmlh the
// first stream's chunks. A recording of both streams may begin with drop
// chunks reserved for the video's lead (the places it waits while the audio
// plays alone): those it does not keep become JUNK chunks, in no index,
// when the first segment is completed. The header is written when the file is completed,
// with the timing set then. finish() keeps the chunks the file holds whole,
// cuts off anything after them, and writes indices and headers, so the file
// is complete after a failed write too when the file still takes those.
#pragma once

#include "avi/audio_stream.h"
#include "avi/buffered_output.h"
#include "avi/video_stream.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace vcx::avi {

struct AviLimits {
    ULONGLONG segmentBytes = ULONGLONG{1} << 30; // one GiB, as older readers expect
    DWORD superIndexEntries = 4096;              // room for this many segments per stream
    std::size_t bufferBytes = std::size_t{1} << 20;
};

class AviFile {
  public:
    AviFile(FileOutput& file, const AviLimits& limits);
    AviFile(const AviFile&) = delete;
    AviFile& operator=(const AviFile&) = delete;

    // Empties the file and starts a recording of the streams given (at least
    // one). The video's frame interval is the stream's (the default when it
    // has none) until setVideoTiming; both starts are 0.
    HRESULT begin(const std::optional<VideoStream>& video,
                  const std::optional<AudioStream>& audio = std::nullopt);
    // Append one chunk of a stream the recording has. A failure leaves the
    // chunk out; call finish() then.
    HRESULT addFrame(const void* data, DWORD bytes, bool keyFrame);
    HRESULT addDropFrame() { return addFrame(nullptr, 0, false); }
    HRESULT addAudio(const void* data, DWORD bytes);
    // Right after begin, before any other chunk: reserves count drop chunks
    // at the head of the video.
    HRESULT reserveVideoLead(DWORD count);
    // Keeps the last kept of the reserved drop chunks (all of them at most)
    // as the video's first places. Only the first call counts, and only while
    // the first segment is open; the first segment's completion keeps none
    // when nothing was settled.
    void settleVideoLead(DWORD kept);
    // The reserved drop chunks kept, once settled.
    std::optional<DWORD> videoLead() const;
    // The timing the header records: the video's frame interval (100 ns
    // units) and start (frames), the audio's start (blocks).
    void setVideoTiming(REFERENCE_TIME frameInterval, DWORD startFrames);
    void setAudioStart(DWORD startBlocks);
    // Completes the file (nothing when no recording is open).
    HRESULT finish();

    bool recording() const { return open_; }
    // Video chunks, drop chunks included.
    ULONGLONG frames() const;

  private:
    struct Chunk {
        ULONGLONG offset; // of the chunk header
        DWORD bytes;      // of the data, without the pad byte
        bool keyFrame;
        std::uint8_t stream;
    };
    struct SegmentIndex {
        ULONGLONG offset; // of the standard index chunk
        DWORD bytes;      // of that chunk, header included
        DWORD duration;   // in the stream's units: chunks of video, blocks of audio
    };
    struct Stream {
        bool audio = false;
        char chunkId[5] = {};
        char indexId[5] = {};
        std::vector<std::uint8_t> format; // strf
        DWORD blockAlign = 1;             // audio
        DWORD bytesPerSecond = 0;         // audio
        DWORD start = 0;
        std::vector<SegmentIndex> index; // the super index's entries
        ULONGLONG closedChunks = 0;      // in closed segments
        ULONGLONG closedBytes = 0;
        DWORD firstSegmentChunks = 0;
        DWORD largestChunk = 0;
        // In the open segment.
        DWORD segmentChunks = 0;
        ULONGLONG segmentBytes = 0;
    };
    struct Segment {
        ULONGLONG riffStart = 0;
        ULONGLONG moviStart = 0; // of the 'movi' type, which the indices count from
        std::vector<Chunk> chunks;
    };

    bool isFirstSegment() const { return segment_.riffStart == 0; }
    HRESULT addChunk(std::size_t stream, const void* data, DWORD bytes, bool keyFrame);
    // Whether a chunk of bytes more of stream still fits the open segment with its indices.
    bool fits(std::size_t stream, ULONGLONG bytes) const;
    ULONGLONG streamChunks(const Stream& stream) const;
    ULONGLONG streamBytes(const Stream& stream) const;
    std::vector<std::uint8_t> buildHeader() const;
    HRESULT writeHeader();
    HRESULT openSegment();
    HRESULT closeSegment();
    // Writes the open segment's standard indices; entries: each stream's
    // super index entry for them (bytes 0: none).
    HRESULT writeChunkIndices(std::vector<SegmentIndex>& entries);
    // Drops the chunks the file does not hold whole and cuts the file after
    // the rest; segmentKept is false when the open segment went with them.
    HRESULT cutToWholeChunks(bool& segmentKept);
    // Writes JUNK over the chunk headers of the lead the video does not keep.
    HRESULT writeLeadJunk();

    BufferedOutput out_;
    const AviLimits limits_;
    bool open_ = false;
    std::vector<Stream> streams_; // in file order
    std::optional<std::size_t> videoStream_;
    std::optional<std::size_t> audioStream_;
    VideoStream video_;
    Segment segment_;
    DWORD firstRiffBytes_ = 0;
    DWORD firstMoviBytes_ = 0;
    // The video's lead: where its reserved chunks begin, how many there are,
    // and how many of them are kept, once settled.
    ULONGLONG leadOffset_ = 0;
    DWORD leadReserved_ = 0;
    std::optional<DWORD> leadKept_;
};

} // namespace vcx::avi
