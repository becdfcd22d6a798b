#include "frames/frame_queue.h"

#include <cstring>
#include <new>

#include "core/platform.h"

namespace vcx {

FrameQueue* FrameQueue::create(int32_t depth, std::size_t entryBytes) {
    if (depth <= 0 || entryBytes == 0 || entryBytes > SIZE_MAX / static_cast<std::size_t>(depth)) {
        return nullptr;
    }
    const Platform& os = platform();
    const auto count = static_cast<std::size_t>(depth);
    auto* block = static_cast<BYTE*>(os.heapAlloc(os.getProcessHeap(), 0, entryBytes * count));
    auto* entries = new (std::nothrow) Entry[count];
    auto* held = new (std::nothrow) std::atomic<int64_t>[count];
    FrameQueue* queue = nullptr;
    if (block != nullptr && entries != nullptr && held != nullptr) {
        queue = new (std::nothrow) FrameQueue(depth, entryBytes, block, entries, held);
    }
    if (queue == nullptr) {
        delete[] held;
        delete[] entries;
        if (block != nullptr) {
            os.heapFree(os.getProcessHeap(), 0, block);
        }
    }
    return queue;
}

FrameQueue::FrameQueue(int32_t depth, std::size_t entryBytes, BYTE* block, Entry* entries,
                       std::atomic<int64_t>* held)
    : depth_(depth), entryBytes_(entryBytes), block_(block), entries_(entries), held_(held) {
    for (int32_t i = 0; i < depth; ++i) {
        entries_[i].bytes = block_ + entryBytes * static_cast<std::size_t>(i);
        held_[i].store(0, std::memory_order_relaxed);
    }
}

FrameQueue::~FrameQueue() {
    const Platform& os = platform();
    os.heapFree(os.getProcessHeap(), 0, block_);
    delete[] held_;
    delete[] entries_;
}

void FrameQueue::keep(int64_t number, const BYTE* bytes, std::size_t length) {
    // The entry of the oldest frame (a free one first) that the host is not
    // reading; with the host on one entry at most, one of the others is free
    // to take unless the queue has a single entry.
    for (int attempt = 0; attempt < 2 * depth_; ++attempt) {
        int32_t chosen = -1;
        int64_t oldest = INT64_MAX;
        int32_t seen = kFree;
        for (int32_t i = 0; i < depth_; ++i) {
            const int32_t state = entries_[i].state.load(std::memory_order_acquire);
            const int64_t held = held_[i].load(std::memory_order_relaxed);
            if ((state == kFree || state == kReady) && held < oldest) {
                chosen = i;
                oldest = held;
                seen = state;
            }
        }
        if (chosen < 0) {
            return; // the one entry is being read: this frame is not kept
        }
        Entry& entry = entries_[chosen];
        if (!entry.state.compare_exchange_strong(seen, kWriting, std::memory_order_acquire)) {
            continue; // the host claimed it meanwhile
        }
        held_[chosen].store(0, std::memory_order_relaxed);
        entry.number = number;
        if (length <= entryBytes_) {
            std::memcpy(entry.bytes, bytes, length);
            entry.length = static_cast<int64_t>(length);
        } else {
            entry.length = -1;
        }
        entry.state.store(kReady, std::memory_order_release);
        held_[chosen].store(number, std::memory_order_release);
        return;
    }
}

FrameQueue::Taken FrameQueue::take(int64_t after, BYTE* buffer, std::size_t capacity,
                                   int64_t& number, std::size_t& length) {
    for (;;) {
        int32_t chosen = -1;
        int64_t wanted = INT64_MAX;
        for (int32_t i = 0; i < depth_; ++i) {
            const int64_t held = held_[i].load(std::memory_order_acquire);
            if (held > after && held < wanted) {
                chosen = i;
                wanted = held;
            }
        }
        if (chosen < 0) {
            return Taken::kNone;
        }
        Entry& entry = entries_[chosen];
        int32_t ready = kReady;
        if (!entry.state.compare_exchange_strong(ready, kReading, std::memory_order_acquire)) {
            continue; // being written: look again
        }
        if (entry.number != wanted) {
            // Written over between the look and the claim: look again.
            entry.state.store(kReady, std::memory_order_release);
            continue;
        }
        Taken taken = Taken::kCopied;
        if (entry.length < 0) {
            taken = Taken::kTooLarge;
        } else if (static_cast<std::size_t>(entry.length) > capacity) {
            taken = Taken::kTooSmall;
        } else {
            std::memcpy(buffer, entry.bytes, static_cast<std::size_t>(entry.length));
            length = static_cast<std::size_t>(entry.length);
        }
        number = entry.number;
        entry.state.store(kReady, std::memory_order_release);
        return taken;
    }
}

} // namespace vcx
