// vcx_GetCapInfo: one field of the first capability of the device's capture
// pin.
#include "vcxcap.h"

#include <cstdint>

#include "config/stream_config.h"

namespace vcx {
namespace {

constexpr int kLastFieldCode = 5;

// The field of a capability's format block, or 0 when the block is missing,
// of another format type or too short to hold it.
int32_t fieldOf(const AM_MEDIA_TYPE* type, int code) {
    if (!hasVideoInfoBlock(type)) {
        return 0;
    }
    const auto& info = *reinterpret_cast<const VIDEOINFOHEADER*>(type->pbFormat);
    switch (code) {
    case 0:
        return info.bmiHeader.biWidth;
    case 1:
        return info.bmiHeader.biHeight;
    case 2:
        return static_cast<int32_t>(info.dwBitRate);
    case 3:
        return static_cast<int32_t>(info.dwBitErrorRate);
    case 4:
        return static_cast<int32_t>(info.AvgTimePerFrame);
    default:
        return static_cast<int32_t>(info.bmiHeader.biCompression);
    }
}

} // namespace
} // namespace vcx

using namespace vcx;

extern "C" int VCXAPI vcx_GetCapInfo(int code) {
    const int32_t guard = checkSlotState(kGuardSlotOpen);
    if (guard < 0) {
        return guard;
    }
    const CaptureSlot& slot = activeSlot();
    if (slot.captureBuilder == nullptr) {
        return -3;
    }
    ComPtr<IAMStreamConfig> config;
    // A success code passes; a success without an interface cannot be used.
    if (FAILED(findCaptureStreamConfig(slot, config)) || !config) {
        return -4;
    }
    int count = 0;
    int size = 0;
    if (config->GetNumberOfCapabilities(&count, &size) != S_OK) {
        return -2;
    }
    if (size != kStreamCapsSize) {
        return -5;
    }
    if (count <= 0 || code < 0 || code > kLastFieldCode) {
        return 0;
    }
    OwnedMediaType type;
    VIDEO_STREAM_CONFIG_CAPS caps;
    // Whatever GetStreamCaps answers, only a proper block is read.
    config->GetStreamCaps(0, type.put(), reinterpret_cast<BYTE*>(&caps));
    return fieldOf(type.get(), code);
}
