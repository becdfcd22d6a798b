#include "camera_faults.h"

#include <evcode.h>

namespace vcxcam {

void CameraFaults::begin(IMediaEventSink* events, IUnknown* device) {
    events_ = events;
    device_ = device;
    frameTimes_ = 0;
    lost_ = false;
    dropped_ = 0;
    delivered_ = 0;
}

CameraFaults::Fate CameraFaults::next() {
    if (lost_) {
        return Fate::kWithhold;
    }
    const auto sent = static_cast<DWORD>(delivered_.load());
    if (loseAfter_ != 0 && sent >= loseAfter_) {
        lost_ = true;
        if (events_ != nullptr) {
            events_->Notify(EC_DEVICE_LOST, reinterpret_cast<LONG_PTR>(device_), 0);
        }
        return Fate::kWithhold;
    }
    if (stallAfter_ != 0 && sent >= stallAfter_) {
        return Fate::kWithhold;
    }
    ++frameTimes_;
    if (deliverEvery_ > 1 && (frameTimes_ - 1) % deliverEvery_ != 0) {
        return Fate::kWithhold;
    }
    if (dropEvery_ != 0 && frameTimes_ % dropEvery_ == 0) {
        ++dropped_;
        return Fate::kDrop;
    }
    ++delivered_;
    return Fate::kDeliver;
}

} // namespace vcxcam
