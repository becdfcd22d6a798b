// The slot's frame counter: the callback the Sample Grabber calls for every
// sample that reaches it (ISampleGrabberCB::SampleCB, on the graph's
// streaming thread), and what the host's thread reads of it.
//
// On the streaming thread the callback only counts, stamps and signals: it
// numbers the sample (1 for the first after the slot opened), records its
// start time and its arrival on the performance counter, keeps a copy in the
// slot's frame queue when the host asked for one (frame_queue.h), publishes
// the number, and sets the counter's event when a host thread waits. It takes
// no lock; every shared value is an atomic.
//
// Handing one frame over. The bits the grabber buffers cannot be tied to a
// number: the grabber replaces its buffer before it calls the callback, so a
// copy made between the two holds a frame the count does not show yet.
// A host that needs the number of the bits it holds asks for the next frame
// instead: it arms a request with the memory the frame is to go to, and the
// callback that takes the request copies its sample there, then publishes
// the frame's number and length. Why that is exact and race-free:
//   - a request is a generation g (never 0). The host writes the request's
//     destination, capacity and the number its frame must be above into the
//     request slot of g's parity (atomics), then stores g as armed;
//   - the callback reads armed; for a g other than 0 it reads g's slot and,
//     when its frame is above the slot's number, exchanges g for 0 (compare
//     and exchange): only the callback that succeeds answers g, so at most one
//     frame is copied per request, and a callback that read a slot the host
//     has moved on from fails the exchange and acts on nothing it read;
//   - the answering callback copies its sample into the destination, stores
//     the frame's number and length, then stores g as answered with release
//     order; answered() reads it with acquire order, so the host that finds g
//     sees the number, the length and the bits;
//   - disarm() exchanges armed for 0: when it reads g no callback took the
//     request and none will touch the destination; when it reads 0 one did,
//     and the host waits for its answer before its call returns, so the
//     streaming thread never writes into the host's memory after that;
//   - the bits are copied from the sample while the callback has it, before
//     the grabber passes the sample on: they are that frame's, and the
//     number is the callback's own for that sample.
// The frame is so copied once, as it arrives, on the streaming thread, while
// the host's thread waits in its call; no sample stays held.
//
// Waking a waiting host: the host increments the waiter count, then reads the
// frame count; the callback stores the count, then reads the waiter count
// (all sequentially consistent). So either the host sees the new frame or the
// callback sees the waiter and sets the event: no frame goes unnoticed, and
// the streaming thread makes no kernel call while nobody waits.
#pragma once

#include <windows.h>
#include <dshow.h>
#include <qedit.h>

#include "filterbase/single_interface.h"
#include "frames/frame_queue.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace vcx {

class FrameCounter final : public filterbase::SingleInterfaceObject<ISampleGrabberCB> {
  public:
    // A counter with its auto-reset event (through the platform table), or
    // null when either cannot be had.
    static FrameCounter* create();

    // ISampleGrabberCB, on the streaming thread. The grabber calls it for one
    // sample at a time (it receives on one input pin).
    STDMETHODIMP SampleCB(double time, IMediaSample* sample) override;
    STDMETHODIMP BufferCB(double time, BYTE* buffer, long length) override;

    // The newest frame's number; 0 before the first.
    int64_t frames() const { return frames_.load(std::memory_order_seq_cst); }

    struct Stamp {
        int64_t number;
        bool timed;           // whether the sample carried a start time
        REFERENCE_TIME start; // its start time in stream time, when timed
        LONGLONG arrival;     // performance counter at its arrival
    };
    // The newest frame's stamp; false before the first frame.
    bool newest(Stamp& stamp) const;
    // Performance counter at the first frame's arrival (0 before it).
    LONGLONG firstArrival() const { return firstArrival_.load(std::memory_order_acquire); }
    LONGLONG frequency() const { return frequency_; }

    // Frames per second in thousandths, measured over the frames that
    // arrived in the second before now (a performance counter reading): the
    // mean rate between the first and the last of them; 0 with fewer than two.
    int32_t rateMilli(LONGLONG now) const;

    // The event the callback sets for a waiting host (auto-reset).
    HANDLE event() const { return event_; }

    // A host thread starts or ends waiting for a frame newer than it has seen.
    void addWaiter() { waiters_.fetch_add(1, std::memory_order_seq_cst); }
    void removeWaiter() { waiters_.fetch_sub(1, std::memory_order_seq_cst); }

    // Host's thread: asks for the next frame numbered above after, to be
    // copied into destination (capacity bytes) by the callback that takes it.
    void arm(BYTE* destination, std::size_t capacity, int64_t after);
    // Withdraws the request: true when no callback took it (the destination
    // is untouched and stays so); false when one did (answered() soon tells).
    bool disarm();
    // Whether the callback answered the request, with the frame's number and
    // its length in bytes, or kTooLarge (larger than the capacity) or
    // kUnreadable (its bits could not be read), nothing copied then.
    bool answered(int64_t& number, int64_t& length) const;
    static constexpr int64_t kTooLarge = -1;
    static constexpr int64_t kUnreadable = -2;

    // The frame queue the callback fills from its next sample on, owned by
    // the counter from then; null for none. Only while no sample can arrive
    // (the graph stopped), since the old queue is freed at once.
    void setQueue(FrameQueue* queue);
    FrameQueue* queue() const { return queue_.load(std::memory_order_acquire); }

    // Numbers frames from after number on, as if number frames had come
    // (tests of numbers past 32 bits).
    void skipTo(int64_t number) { frames_.store(number, std::memory_order_seq_cst); }

    // Records in the ring; enough for a second at the highest rate a camera
    // of ours offers (1000 fps) with room to spare.
    static constexpr int64_t kRingSize = 2048;

    // Called by the callback between copying a requested frame and
    // publishing its answer, when set: a seam that lets a test look at the
    // one moment the order of the two shows.
    static void (*handOverSeam)(FrameCounter& counter);

  private:
    FrameCounter(HANDLE event, LONGLONG frequency);
    ~FrameCounter() override;

    struct Record {
        std::atomic<int64_t> start;
        std::atomic<int64_t> arrival;
    };
    // Whether records read for frames from oldest on, read after the count
    // said newest, were not overwritten meanwhile (call after the reads).
    bool recordsIntact(int64_t oldest) const;

    const HANDLE event_;
    const LONGLONG frequency_;
    std::atomic<int64_t> frames_{0};
    std::atomic<LONGLONG> firstArrival_{0};
    std::array<Record, kRingSize> ring_{};
    std::atomic<LONG> waiters_{0};
    // Answers the request of armed_ (0: none) when the sample's number is
    // above the request's; true when it did.
    bool answerRequest(IMediaSample* sample, int64_t number);

    struct Request {
        std::atomic<BYTE*> destination{nullptr};
        std::atomic<std::size_t> capacity{0};
        std::atomic<int64_t> after{0};
    };
    Request requests_[2];     // by the parity of the generation
    uint64_t generation_ = 0; // the host's newest request; its thread only
    std::atomic<uint64_t> armed_{0};
    std::atomic<uint64_t> answered_{0};
    std::atomic<int64_t> answerNumber_{0};
    std::atomic<int64_t> answerLength_{0};
    std::atomic<FrameQueue*> queue_{nullptr};
};

// The start time recorded for a sample without one.
constexpr REFERENCE_TIME kUntimed = INT64_MIN;

// A time as a 32-bit export answers it: clamped to the range.
constexpr int32_t clampToInt32(int64_t value) {
    return value > INT32_MAX   ? INT32_MAX
           : value < INT32_MIN ? INT32_MIN
                               : static_cast<int32_t>(value);
}

// Frame numbers as the exports hand them out: 1 to 2147483647, then 1 again
// (0 before the first frame). A number counts as above another when it
// follows it by less than 2^30 frames in that cycle.
constexpr int64_t kFrameNumberCycle = INT32_MAX;
constexpr int32_t exportedFrameNumber(int64_t number) {
    return number <= 0 ? 0 : static_cast<int32_t>((number - 1) % kFrameNumberCycle + 1);
}

// The counter's own number of the frame a host names after (0 to
// 2147483647), given the newest frame's: the frame of that exported number
// at most 2^30 frames before the newest, or, for a number further back in the
// cycle, one still to come. after 0 is the time before the first frame.
constexpr int64_t frameNumberOf(int32_t after, int64_t newest) {
    if (after <= 0) {
        return 0;
    }
    const int64_t behind =
        ((exportedFrameNumber(newest) - after) % kFrameNumberCycle + kFrameNumberCycle) %
        kFrameNumberCycle;
    return behind < (int64_t{1} << 30) ? newest - behind : newest + (kFrameNumberCycle - behind);
}

} // namespace vcx
