// Reaching a camera property of the active slot's device: the device filter's
// IAMVideoProcAmp or IAMCameraControl, asked afresh by each call and released
// before it returns, and the property's range as the device reports it.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <cstdint>

#include "core/com_ptr.h"
#include "config/camera_property_table.h"
#include "core/slots.h"

namespace vcx {

// A property's range as GetRange reports it.
struct PropertyRange {
    LONG minimum = 0;
    LONG maximum = 0;
    LONG step = 0;
    LONG defaultValue = 0;
    LONG capabilities = 0;
};

// Asks control (either interface: both have the same methods) for the range
// of property id; true only when GetRange answers S_OK.
template <class Control> bool readRange(Control& control, LONG id, PropertyRange& range) {
    PropertyRange read;
    if (control.GetRange(id, &read.minimum, &read.maximum, &read.step, &read.defaultValue,
                         &read.capabilities) != S_OK) {
        return false;
    }
    range = read;
    return true;
}

// The mode a device reports as the exports hand it out: VCX_CONTROL_AUTO
// when its auto flag is set, else VCX_CONTROL_MANUAL.
inline int32_t propertyMode(LONG flags) {
    return (flags & kPropertyAuto) != 0 ? 1 : 2;
}

// The capability flags a device reports, of auto (1) and manual (2) only.
inline int32_t propertyCapabilities(LONG flags) {
    return flags & (kPropertyAuto | kPropertyManual);
}

// The results of the steps every single-property export shares.
inline constexpr int32_t kPropertyNoDeviceFilter = -4;
inline constexpr int32_t kPropertyNoInterface = -5;

// Hands property's interface on the active slot's device, and the property's
// id on it, to use(control, id) and returns what use returns; -4 when the slot
// has no device filter, -5 when the filter offers no such interface.
template <class Use> int32_t onCameraProperty(const CameraProperty& property, Use&& use) {
    IBaseFilter* device = activeSlot().sourceFilter;
    if (device == nullptr) {
        return kPropertyNoDeviceFilter;
    }
    if (property.iface == PropertyInterface::kVideoProcAmp) {
        // A success other than S_OK counts as no interface.
        const ComPtr<IAMVideoProcAmp> control = query<IAMVideoProcAmp>(device);
        return control ? use(*control.get(), property.id) : kPropertyNoInterface;
    }
    const ComPtr<IAMCameraControl> control = query<IAMCameraControl>(device);
    return control ? use(*control.get(), property.id) : kPropertyNoInterface;
}

} // namespace vcx
