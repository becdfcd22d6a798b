// vcx_GetDevControlRange, vcx_GetDevControl and vcx_SetDevControl: one camera
// property of the active slot's device, its range, its value and mode, and
// setting it. Every argument is checked before the device is asked anything.
#include "vcxcap.h"

#include <cstdint>

#include "config/camera_property_access.h"

namespace vcx {
namespace {

// The slot open or running (-1) and a known property number (-2).
int32_t checkProperty(int property) {
    const int32_t guard = checkSlotState(kGuardSlotOpen);
    if (guard < 0) {
        return guard;
    }
    return cameraProperty(property) == nullptr ? -2 : 0;
}

} // namespace
} // namespace vcx

using namespace vcx;

extern "C" int VCXAPI vcx_GetDevControlRange(int property, int* minimum, int* maximum, int* step,
                                             int* defaultValue, int* capabilities) {
    const int32_t checked = checkProperty(property);
    if (checked < 0) {
        return checked;
    }
    if (minimum == nullptr || maximum == nullptr || step == nullptr || defaultValue == nullptr ||
        capabilities == nullptr) {
        return -3;
    }
    return onCameraProperty(*cameraProperty(property), [&](auto& control, LONG id) -> int32_t {
        PropertyRange range;
        if (!readRange(control, id, range)) {
            return -6;
        }
        *minimum = range.minimum;
        *maximum = range.maximum;
        *step = range.step;
        *defaultValue = range.defaultValue;
        *capabilities = propertyCapabilities(range.capabilities);
        return 0;
    });
}

extern "C" int VCXAPI vcx_GetDevControl(int property, int* value, int* flags) {
    const int32_t checked = checkProperty(property);
    if (checked < 0) {
        return checked;
    }
    if (value == nullptr || flags == nullptr) {
        return -3;
    }
    return onCameraProperty(*cameraProperty(property), [&](auto& control, LONG id) -> int32_t {
        LONG current = 0;
        LONG mode = 0;
        if (control.Get(id, &current, &mode) != S_OK) {
            return -6;
        }
        *value = current;
        *flags = propertyMode(mode);
        return 0;
    });
}

extern "C" int VCXAPI vcx_SetDevControl(int property, int value, int flags) {
    const int32_t checked = checkProperty(property);
    if (checked < 0) {
        return checked;
    }
    if (flags != VCX_CONTROL_AUTO && flags != VCX_CONTROL_MANUAL) {
        return -3;
    }
    return onCameraProperty(*cameraProperty(property), [&](auto& control, LONG id) -> int32_t {
        PropertyRange range;
        if (!readRange(control, id, range)) {
            return -6;
        }
        if ((range.capabilities & flags) == 0) {
            return -7;
        }
        if (flags == VCX_CONTROL_MANUAL && (value < range.minimum || value > range.maximum)) {
            return -8;
        }
        // Auto mode takes no value: the device gets one it must accept.
        const LONG sent = flags == VCX_CONTROL_AUTO ? range.defaultValue : value;
        return control.Set(id, sent, flags) == S_OK ? 0 : -9;
    });
}
