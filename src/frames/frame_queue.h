// The slot's frame queue: copies of the newest frames, kept so that a host
// that comes back late to vcx_GetNextFrame still gets the frame after the one
// it saw.
//
// The queue has depth entries of one frame's bytes each, taken from the
// process heap when it is made. The streaming thread (the frame counter's
// callback) copies every frame into the entry that holds the oldest frame,
// skipping one the host is reading; the host's thread copies the frame it
// asks for out of its entry. Neither ever waits for the other: each entry's
// state says who may touch its bytes, and is changed only by an atomic
// compare-and-exchange:
//   free or ready --(producer claims)--> writing --(filled)--> ready
//   ready --(host claims)--> reading --(copied)--> ready
// The producer claims only entries that are free or ready, the host only
// ready ones, so the bytes of an entry are written by one side at a time and
// a copy never sees a frame half overwritten. While the host reads one entry
// the producer uses the others: a queue of depth K keeps the newest K frames,
// or K - 1 while the host copies one.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace vcx {

// The deepest queue a host may ask for: over a second at 1000 fps, and far
// more memory than any camera's frames need at the rates they come.
constexpr int32_t kMaxFrameQueueDepth = 1024;

class FrameQueue {
  public:
    // A queue of depth entries of entryBytes, or null when either is 0 or
    // the heap (through the platform table) cannot give the memory.
    static FrameQueue* create(int32_t depth, std::size_t entryBytes);
    ~FrameQueue();
    FrameQueue(const FrameQueue&) = delete;
    FrameQueue& operator=(const FrameQueue&) = delete;

    // Streaming thread: keeps a copy of frame number's bytes. A frame larger
    // than an entry is kept as a mark without bytes (take() answers
    // kTooLarge for it).
    void keep(int64_t number, const BYTE* bytes, std::size_t length);

    enum class Taken { kNone, kCopied, kTooLarge, kTooSmall };
    // Host's thread: copies the oldest frame numbered above after into
    // buffer (capacity bytes), with its number and length. kNone when no such
    // frame is held; kTooSmall when capacity is below its length (nothing
    // copied, the frame stays).
    Taken take(int64_t after, BYTE* buffer, std::size_t capacity, int64_t& number,
               std::size_t& length);

    int32_t depth() const { return depth_; }
    std::size_t entryBytes() const { return entryBytes_; }

  private:
    enum State : int32_t { kFree, kWriting, kReady, kReading };
    struct Entry {
        std::atomic<int32_t> state{kFree};
        int64_t number = 0;  // of the frame held; touched only by whoever claimed the entry
        int64_t length = -1; // its bytes; -1 for a frame too large to keep
        BYTE* bytes = nullptr;
    };

    FrameQueue(int32_t depth, std::size_t entryBytes, BYTE* block, Entry* entries,
               std::atomic<int64_t>* held);

    const int32_t depth_;
    const std::size_t entryBytes_;
    BYTE* const block_; // every entry's bytes, from the process heap
    Entry* const entries_;
    // The number each entry holds, readable without claiming it (0: none),
    // published once the entry is ready: a host that picks an entry by it
    // claims the entry and then checks the number again.
    std::atomic<int64_t>* const held_;
};

} // namespace vcx
