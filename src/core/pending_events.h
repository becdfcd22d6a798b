// Graph events that a frame wait took off the slot's graph before the host
// asked for them, in the order the graph queued them, and whether the device
// has been lost. Part of the slot; emptied when the slot is released.
#pragma once

#include <array>
#include <cstdint>

namespace vcx {

struct GraphEvent {
    int32_t code;
    int32_t param1; // the low 32 bits of the platform's parameters
    int32_t param2;
};

class PendingEvents {
  public:
    static constexpr int32_t kCapacity = 32;

    bool empty() const { return count_ == 0; }
    bool full() const { return count_ == kCapacity; }
    // Appends event; false (and nothing kept) when full.
    bool push(const GraphEvent& event) {
        if (full()) {
            return false;
        }
        entries_[static_cast<std::size_t>((first_ + count_) % kCapacity)] = event;
        ++count_;
        return true;
    }
    // The oldest event, removed; call only when not empty.
    GraphEvent pop() {
        const GraphEvent event = entries_[static_cast<std::size_t>(first_)];
        first_ = (first_ + 1) % kCapacity;
        --count_;
        return event;
    }

    // Set once EC_DEVICE_LOST reported the device removed; stays until the
    // slot is released.
    bool deviceLost = false;
    // The code of an event that means the graph stopped streaming on its own
    // (an error, or the end of the stream), once one was taken; 0 until then
    // and again from the next run.
    int32_t streamEnded = 0;

  private:
    std::array<GraphEvent, kCapacity> entries_{};
    int32_t first_ = 0;
    int32_t count_ = 0;
};

} // namespace vcx
