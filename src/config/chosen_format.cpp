// vcx_SetDevFormat: applies exactly one capability of the device's capture
// pin, by its index, with its own frame rate or another within its range, and
// keeps the choice for the slot's later opens.
#include "config/chosen_format.h"

#include "vcxcap.h"

#include <cmath>

#include "config/stream_config.h"
#include "config/video_format.h"

namespace vcx {
namespace {

constexpr int32_t kForget = -1;
// Longest frame interval a rate may ask for: far beyond any device, and
// short of what a 64-bit interval holds.
constexpr double kLongestInterval = 1e15;

// A rate a host may pass: 0 (the capability's own) or a finite positive one.
bool usableRate(double framesPerSecond) {
    return framesPerSecond >= 0.0 && std::isfinite(framesPerSecond);
}

// Sets capability index of config at framesPerSecond (0: as the device
// describes it). 0, or -5 no such index (the device reports no video
// capabilities, or fewer), -6 a rate the capability cannot take (outside the
// range its caps give, or a type without a frame interval), -7 the device
// could not describe the capability, -8 the device refused it. The format in
// force changes only on 0.
int32_t applyCapability(IAMStreamConfig& config, int32_t index, double framesPerSecond) {
    int count = 0;
    if (!countVideoCapabilities(config, count) || index < 0 || index >= count) {
        return -5;
    }
    OwnedMediaType type;
    VIDEO_STREAM_CONFIG_CAPS caps{};
    if (FAILED(config.GetStreamCaps(index, type.put(), reinterpret_cast<BYTE*>(&caps))) ||
        type.get() == nullptr) {
        return -7;
    }
    if (framesPerSecond != 0.0) {
        REFERENCE_TIME* field = frameIntervalField(*type.get());
        const double interval = std::round(kUnitsPerSecond / framesPerSecond);
        if (field == nullptr || !(interval >= 1.0 && interval <= kLongestInterval) ||
            !intervalRangeOf(caps).holds(static_cast<REFERENCE_TIME>(interval))) {
            return -6;
        }
        *field = static_cast<REFERENCE_TIME>(interval);
    }
    return FAILED(config.SetFormat(type.get())) ? -8 : 0;
}

} // namespace

int32_t applyChosenFormat(const CaptureSlot& slot) {
    ComPtr<IAMStreamConfig> config;
    if (!takeCaptureStreamConfig(slot, config)) {
        return -4;
    }
    return applyCapability(*config.get(), slot.chosenFormat, slot.chosenFrameRate) == 0 ? 0 : 1;
}

} // namespace vcx

using namespace vcx;

extern "C" int VCXAPI vcx_SetDevFormat(int index, double framesPerSecond) {
    CaptureSlot& slot = activeSlot();
    if (index == kForget) {
        slot.formatChosen = false;
        slot.chosenFormat = 0;
        slot.chosenFrameRate = 0.0;
        return 0;
    }
    if (const int32_t checked = checkOpenDevice(); checked < 0) {
        return checked;
    }
    if (slot.state == kSlotRunning) {
        return -3;
    }
    if (!usableRate(framesPerSecond)) {
        return -6;
    }
    if (index < 0) {
        return -5;
    }
    ComPtr<IAMStreamConfig> config;
    if (!takeCaptureStreamConfig(slot, config)) {
        return -4;
    }
    const int32_t result = applyCapability(*config.get(), index, framesPerSecond);
    if (result == 0) {
        slot.formatChosen = true;
        slot.chosenFormat = index;
        slot.chosenFrameRate = framesPerSecond;
    }
    return result;
}
