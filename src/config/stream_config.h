// The device's stream configuration: reaching the capture pin's
// IAMStreamConfig of the active slot, and walking its capabilities that carry
// a usable VIDEOINFOHEADER.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <cstdint>
#include <utility>

#include "core/com_ptr.h"
#include "core/directshow.h"
#include "core/slots.h"

namespace vcx {

// 100-nanosecond units per second: frame rate = this / AvgTimePerFrame.
constexpr double kUnitsPerSecond = 10000000.0;

// The size GetNumberOfCapabilities must report before any capability is
// visited.
constexpr int kStreamCapsSize = 128;
static_assert(sizeof(VIDEO_STREAM_CONFIG_CAPS) == kStreamCapsSize);
static_assert(sizeof(VIDEOINFOHEADER) == 88);

// A media type that GetStreamCaps handed out, freed with its format block.
class OwnedMediaType {
  public:
    OwnedMediaType() = default;
    OwnedMediaType(const OwnedMediaType&) = delete;
    OwnedMediaType& operator=(const OwnedMediaType&) = delete;
    ~OwnedMediaType() { deleteMediaType(std::exchange(type_, nullptr)); }

    AM_MEDIA_TYPE* get() const { return type_; }
    AM_MEDIA_TYPE** put() {
        deleteMediaType(std::exchange(type_, nullptr));
        return &type_;
    }

  private:
    AM_MEDIA_TYPE* type_ = nullptr;
};

// FindInterface for the IAMStreamConfig of the capture pin of the slot's
// device filter; its HRESULT unchanged.
HRESULT findCaptureStreamConfig(const CaptureSlot& slot, ComPtr<IAMStreamConfig>& config);

// The steps the apply, list and size operations share: COM started (-1), a
// capture builder (-2), a device filter (-3), and the capture pin's stream
// configuration (-4 unless FindInterface answers S_OK). 0 with config set.
int32_t reachStreamConfig(ComPtr<IAMStreamConfig>& config);

// The steps the capability list, the choice of a capability and the format
// in use share: the slot open or running (-1) with a capture builder and a
// device filter (-2). 0 when both hold.
int32_t checkOpenDevice();

// FindInterface for the capture pin's stream configuration, as the
// capability exports take it: true with config set only when it answers S_OK.
bool takeCaptureStreamConfig(const CaptureSlot& slot, ComPtr<IAMStreamConfig>& config);

// Whether a capability's media type has a FORMAT_VideoInfo block of at least
// the size of a VIDEOINFOHEADER.
bool hasVideoInfoBlock(const AM_MEDIA_TYPE* type);

// The VIDEOINFOHEADER block of a type for which hasVideoInfoBlock holds.
inline VIDEOINFOHEADER& videoInfoOf(AM_MEDIA_TYPE& type) {
    return *reinterpret_cast<VIDEOINFOHEADER*>(type.pbFormat);
}

// Calls visit(type) for every capability whose GetStreamCaps succeeds with a
// VIDEOINFOHEADER block, in index order, and frees every media type handed
// out. Nothing is visited unless the caps size is exactly 128 and the count
// positive. A visit returning false ends the walk.
template <class Visit> void forEachVideoInfoCapability(IAMStreamConfig& config, Visit&& visit) {
    int count = 0;
    int size = 0;
    // The result is not examined: the preset zeros visit nothing.
    config.GetNumberOfCapabilities(&count, &size);
    if (size != kStreamCapsSize) {
        return;
    }
    for (int index = 0; index < count; ++index) {
        OwnedMediaType type;
        VIDEO_STREAM_CONFIG_CAPS caps;
        const HRESULT hr = config.GetStreamCaps(index, type.put(), reinterpret_cast<BYTE*>(&caps));
        if (FAILED(hr) || !hasVideoInfoBlock(type.get())) {
            continue;
        }
        if (!visit(*type.get())) {
            return;
        }
    }
}

// The frame intervals a capability's VIDEO_STREAM_CONFIG_CAPS allows, the
// shorter first whichever order the device gives them in (Wine's capture
// filter gives MinFrameInterval and MaxFrameInterval swapped).
struct IntervalRange {
    REFERENCE_TIME shortest;
    REFERENCE_TIME longest;
    bool holds(REFERENCE_TIME interval) const {
        return interval >= shortest && interval <= longest;
    }
};
IntervalRange intervalRangeOf(const VIDEO_STREAM_CONFIG_CAPS& caps);

// The number of capabilities of a video capture pin: false when
// GetNumberOfCapabilities fails or reports a caps size other than 128 (not a
// video pin). A negative count counts as none.
bool countVideoCapabilities(IAMStreamConfig& config, int& count);

} // namespace vcx
