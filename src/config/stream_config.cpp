#include "config/stream_config.h"

namespace vcx {

HRESULT findCaptureStreamConfig(const CaptureSlot& slot, ComPtr<IAMStreamConfig>& config) {
    return slot.captureBuilder->FindInterface(&PIN_CATEGORY_CAPTURE, nullptr, slot.sourceFilter,
                                              IID_IAMStreamConfig, config.putVoid());
}

int32_t reachStreamConfig(ComPtr<IAMStreamConfig>& config) {
    const int32_t guard = checkSlotState(kGuardComInitialized);
    if (guard < 0) {
        return guard;
    }
    const CaptureSlot& slot = activeSlot();
    if (slot.captureBuilder == nullptr) {
        return -2;
    }
    if (slot.sourceFilter == nullptr) {
        return -3;
    }
    // A success code other than S_OK fails too; whatever came back with it
    // is released.
    return takeCaptureStreamConfig(slot, config) ? 0 : -4;
}

int32_t checkOpenDevice() {
    const int32_t guard = checkSlotState(kGuardSlotOpen);
    if (guard < 0) {
        return guard;
    }
    const CaptureSlot& slot = activeSlot();
    return slot.captureBuilder == nullptr || slot.sourceFilter == nullptr ? -2 : 0;
}

bool takeCaptureStreamConfig(const CaptureSlot& slot, ComPtr<IAMStreamConfig>& config) {
    if (findCaptureStreamConfig(slot, config) != S_OK || !config) {
        config.reset();
        return false;
    }
    return true;
}

bool hasVideoInfoBlock(const AM_MEDIA_TYPE* type) {
    return type != nullptr && type->formattype == FORMAT_VideoInfo &&
           type->cbFormat >= sizeof(VIDEOINFOHEADER) && type->pbFormat != nullptr;
}

IntervalRange intervalRangeOf(const VIDEO_STREAM_CONFIG_CAPS& caps) {
    if (caps.MinFrameInterval <= caps.MaxFrameInterval) {
        return {caps.MinFrameInterval, caps.MaxFrameInterval};
    }
    return {caps.MaxFrameInterval, caps.MinFrameInterval};
}

bool countVideoCapabilities(IAMStreamConfig& config, int& count) {
    int size = 0;
    count = 0;
    if (FAILED(config.GetNumberOfCapabilities(&count, &size)) || size != kStreamCapsSize) {
        count = 0;
        return false;
    }
    if (count < 0) {
        count = 0;
    }
    return true;
}

} // namespace vcx
