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
    // is released by the holder.
    if (findCaptureStreamConfig(slot, config) != S_OK || !config) {
        config.reset();
        return -4;
    }
    return 0;
}

bool hasVideoInfoBlock(const AM_MEDIA_TYPE* type) {
    return type != nullptr && type->formattype == FORMAT_VideoInfo &&
           type->cbFormat >= sizeof(VIDEOINFOHEADER) && type->pbFormat != nullptr;
}

} // namespace vcx
