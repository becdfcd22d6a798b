// vcx_SetDevCapConfig: writes the active slot's requested width, height and
// frame rate into every VIDEOINFOHEADER capability of the device's capture
// pin and sets each through the pin's stream configuration.
#include "vcxcap.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "config/stream_config.h"

namespace vcx {
namespace {

// The frame interval in 100 ns units for a rate in frames per second: the
// quotient truncated toward zero to 32 bits, the smallest 32-bit value when
// it does not fit or is not a number (a rate of 0, NaN, or below about
// 0.00466), then widened with its sign.
REFERENCE_TIME frameIntervalOf(double rate) {
    const double truncated = std::trunc(kUnitsPerSecond / rate);
    constexpr double lowest = std::numeric_limits<int32_t>::min();
    constexpr double highest = std::numeric_limits<int32_t>::max();
    int32_t interval = std::numeric_limits<int32_t>::min();
    // Both comparisons are false for NaN.
    if (truncated >= lowest && truncated <= highest) {
        interval = static_cast<int32_t>(truncated);
    }
    return interval;
}

} // namespace
} // namespace vcx

using namespace vcx;

extern "C" int VCXAPI vcx_SetDevCapConfig(void) {
    ComPtr<IAMStreamConfig> config;
    const int32_t reached = reachStreamConfig(config);
    if (reached < 0) {
        return reached;
    }
    const CaptureSlot& slot = activeSlot();
    const REFERENCE_TIME interval = frameIntervalOf(slot.requestedFrameRate);
    int32_t result = 0;
    forEachVideoInfoCapability(*config.get(), [&](AM_MEDIA_TYPE& type) {
        VIDEOINFOHEADER& info = videoInfoOf(type);
        info.bmiHeader.biHeight = slot.requestedHeight;
        info.bmiHeader.biWidth = slot.requestedWidth;
        info.AvgTimePerFrame = interval;
        // Formats set before a refusal stay set; nothing is rolled back.
        if (FAILED(config->SetFormat(&type))) {
            result = 1;
            return false;
        }
        return true;
    });
    return result;
}
