// Reaching a camera property of the active slot's device: the device filter's
// IAMVideoProcAmp or IAMCameraControl, asked afresh by each call and released
// before it returns, and the property's range as the device reports it.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <cstdint>

#include "core/com_ptr.h"
#include "core/control_properties.h"
#include "core/slots.h"

namespace vcx {

// A property's range as GetRange reports it.
struct ControlRange {
    LONG minimum = 0;
    LONG maximum = 0;
    LONG step = 0;
    LONG defaultValue = 0;
    LONG capabilities = 0;
};

// Asks control (either interface: both have the same methods) for the range
// of property id; true only when GetRange answers S_OK.
template <class Control> bool readRange(Control& control, LONG id, ControlRange& range) {
    ControlRange read;
    if (control.GetRange(id, &read.minimum, &read.maximum, &read.step, &read.defaultValue,
                         &read.capabilities) != S_OK) {
        return false;
    }
    range = read;
    return true;
}

// The mode a device reports as the exports hand it out: VCX_CONTROL_AUTO
// when its auto flag is set, else VCX_CONTROL_MANUAL.
inline int32_t controlMode(LONG flags) {
    return (flags & kControlAuto) != 0 ? 1 : 2;
}

// The capability flags a device reports, of auto (1) and manual (2) only.
inline int32_t controlCapabilities(LONG flags) {
    return flags & (kControlAuto | kControlManual);
}

// The results of the steps every single-property export shares.
inline constexpr int32_t kControlNoDeviceFilter = -4;
inline constexpr int32_t kControlNoInterface = -5;

// The active slot's device filter queried for iid; a success code other than
// S_OK counts as no interface, and whatever came with it is released.
template <class I> ComPtr<I> queryDevice(IBaseFilter& device, REFIID iid) {
    ComPtr<I> control;
    if (device.QueryInterface(iid, control.putVoid()) != S_OK) {
        control.reset();
    }
    return control;
}

// Hands property's interface on the active slot's device, and the property's
// id on it, to use(control, id) and returns what use returns; -4 when the slot
// has no device filter, -5 when the filter offers no such interface.
template <class Use> int32_t onControl(const ControlProperty& property, Use&& use) {
    IBaseFilter* device = activeSlot().sourceFilter;
    if (device == nullptr) {
        return kControlNoDeviceFilter;
    }
    if (property.iface == ControlInterface::kVideoProcAmp) {
        ComPtr<IAMVideoProcAmp> control =
            queryDevice<IAMVideoProcAmp>(*device, IID_IAMVideoProcAmp);
        return control ? use(*control.get(), property.id) : kControlNoInterface;
    }
    ComPtr<IAMCameraControl> control = queryDevice<IAMCameraControl>(*device, IID_IAMCameraControl);
    return control ? use(*control.get(), property.id) : kControlNoInterface;
}

} // namespace vcx
