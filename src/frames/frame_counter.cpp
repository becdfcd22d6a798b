#include "frames/frame_counter.h"

#include <cstring>
#include <new>

#include "core/platform.h"

namespace vcx {

FrameCounter* FrameCounter::create() {
    const Platform& os = platform();
    // Never fails on the systems the library runs on (Windows Vista and later,
    // which GetTickCount64 needs).
    LARGE_INTEGER frequency{};
    os.queryPerformanceFrequency(&frequency);
    if (frequency.QuadPart <= 0) {
        return nullptr;
    }
    const HANDLE event = os.createEventW(nullptr, FALSE, FALSE, nullptr);
    if (event == nullptr) {
        return nullptr;
    }
    FrameCounter* counter = new (std::nothrow) FrameCounter(event, frequency.QuadPart);
    if (counter == nullptr) {
        os.closeHandle(event);
    }
    return counter;
}

FrameCounter::FrameCounter(HANDLE event, LONGLONG frequency)
    : event_(event), frequency_(frequency) {}

void (*FrameCounter::handOverSeam)(FrameCounter& counter) = nullptr;

FrameCounter::~FrameCounter() {
    delete queue_.load();
    platform().closeHandle(event_);
}

void FrameCounter::setQueue(FrameQueue* queue) {
    delete queue_.exchange(queue, std::memory_order_acq_rel);
}

STDMETHODIMP FrameCounter::SampleCB(double, IMediaSample* sample) {
    const Platform& os = platform();
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    // S_OK or VFW_S_NO_STOP_TIME: the sample carries a start time.
    const bool timed = sample != nullptr && SUCCEEDED(sample->GetTime(&start, &stop));
    LARGE_INTEGER arrival{};
    os.queryPerformanceCounter(&arrival);

    // One writer: the number is the previous one plus one. The fence keeps
    // the previous count ahead of this frame's record (see recordsIntact).
    const int64_t number = frames_.load(std::memory_order_relaxed) + 1;
    std::atomic_thread_fence(std::memory_order_release);
    Record& record = ring_[static_cast<std::size_t>(number % kRingSize)];
    record.start.store(timed ? start : kUntimed, std::memory_order_relaxed);
    record.arrival.store(arrival.QuadPart, std::memory_order_relaxed);
    if (number == 1) {
        firstArrival_.store(arrival.QuadPart, std::memory_order_release);
    }
    // Queued before the count shows it, so that a host that sees the number
    // finds the frame.
    if (FrameQueue* queue = queue_.load(std::memory_order_acquire); queue && sample) {
        BYTE* bits = nullptr;
        const long length = sample->GetActualDataLength();
        if (sample->GetPointer(&bits) == S_OK && bits != nullptr && length >= 0) {
            queue->keep(number, bits, static_cast<std::size_t>(length));
        }
    }
    frames_.store(number, std::memory_order_seq_cst);

    if (sample != nullptr && answerRequest(sample, number)) {
        os.setEvent(event_);
    } else if (waiters_.load(std::memory_order_seq_cst) > 0) {
        os.setEvent(event_);
    }
    return S_OK;
}

bool FrameCounter::answerRequest(IMediaSample* sample, int64_t number) {
    uint64_t generation = armed_.load(std::memory_order_seq_cst);
    if (generation == 0) {
        return false;
    }
    const Request& request = requests_[generation & 1];
    BYTE* const destination = request.destination.load(std::memory_order_relaxed);
    const std::size_t capacity = request.capacity.load(std::memory_order_relaxed);
    if (number <= request.after.load(std::memory_order_relaxed) ||
        !armed_.compare_exchange_strong(generation, 0, std::memory_order_seq_cst)) {
        return false;
    }
    BYTE* bits = nullptr;
    const long length = sample->GetActualDataLength();
    int64_t answer = length;
    if (sample->GetPointer(&bits) != S_OK || bits == nullptr || length < 0) {
        answer = kUnreadable;
    } else if (static_cast<std::size_t>(length) > capacity) {
        answer = kTooLarge;
    } else {
        std::memcpy(destination, bits, static_cast<std::size_t>(length));
    }
    answerNumber_.store(number, std::memory_order_relaxed);
    answerLength_.store(answer, std::memory_order_relaxed);
    if (handOverSeam != nullptr) {
        handOverSeam(*this);
    }
    answered_.store(generation, std::memory_order_release);
    return true;
}

void FrameCounter::arm(BYTE* destination, std::size_t capacity, int64_t after) {
    if (++generation_ == 0) {
        ++generation_;
    }
    Request& request = requests_[generation_ & 1];
    request.destination.store(destination, std::memory_order_relaxed);
    request.capacity.store(capacity, std::memory_order_relaxed);
    request.after.store(after, std::memory_order_relaxed);
    armed_.store(generation_, std::memory_order_seq_cst);
}

bool FrameCounter::disarm() {
    return armed_.exchange(0, std::memory_order_seq_cst) != 0;
}

bool FrameCounter::answered(int64_t& number, int64_t& length) const {
    if (generation_ == 0 || answered_.load(std::memory_order_acquire) != generation_) {
        return false;
    }
    number = answerNumber_.load(std::memory_order_relaxed);
    length = answerLength_.load(std::memory_order_relaxed);
    return true;
}

STDMETHODIMP FrameCounter::BufferCB(double, BYTE*, long) {
    return E_NOTIMPL;
}

bool FrameCounter::recordsIntact(int64_t oldest) const {
    std::atomic_thread_fence(std::memory_order_acquire);
    // The record of frame oldest is overwritten by frame oldest + kRingSize,
    // which is written only once the count has reached one less.
    return frames_.load(std::memory_order_relaxed) - oldest < kRingSize - 1;
}

bool FrameCounter::newest(Stamp& stamp) const {
    for (;;) {
        const int64_t number = frames_.load(std::memory_order_acquire);
        if (number == 0) {
            return false;
        }
        const Record& record = ring_[static_cast<std::size_t>(number % kRingSize)];
        const int64_t start = record.start.load(std::memory_order_relaxed);
        const LONGLONG arrival = record.arrival.load(std::memory_order_relaxed);
        if (recordsIntact(number)) {
            stamp = {number, start != kUntimed, start == kUntimed ? 0 : start, arrival};
            return true;
        }
    }
}

int32_t FrameCounter::rateMilli(LONGLONG now) const {
    for (;;) {
        const int64_t newestNumber = frames_.load(std::memory_order_acquire);
        // The frames of the last second: walk back while they arrived within it.
        int64_t oldest = newestNumber + 1;
        LONGLONG first = 0;
        LONGLONG last = 0;
        const int64_t limit = newestNumber - (kRingSize - 2);
        for (int64_t number = newestNumber; number >= 1 && number > limit; --number) {
            const LONGLONG arrival =
                ring_[static_cast<std::size_t>(number % kRingSize)].arrival.load(
                    std::memory_order_relaxed);
            if (now - arrival > frequency_) {
                break;
            }
            if (number == newestNumber) {
                last = arrival;
            }
            first = arrival;
            oldest = number;
        }
        if (!recordsIntact(oldest)) {
            continue;
        }
        const int64_t count = newestNumber - oldest + 1;
        if (count < 2 || last <= first) {
            return 0;
        }
        const double rate = static_cast<double>(count - 1) * static_cast<double>(frequency_) *
                            1000.0 / static_cast<double>(last - first);
        return rate >= 2147483647.0 ? INT32_MAX : static_cast<int32_t>(rate + 0.5);
    }
}

} // namespace vcx
