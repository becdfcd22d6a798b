// The camera properties a device filter offers through IAMVideoProcAmp and
// IAMCameraControl, each under one number: 0..9 are the video processing
// amplifier's properties in their VideoProcAmp order, 10..16 the camera
// control's in their CameraControl order. The library's control exports and
// the virtual camera's configuration both name properties by this table.
#pragma once

#include <windows.h>
#include <dshow.h>

namespace vcx {

enum class ControlInterface { kVideoProcAmp, kCameraControl };

struct ControlProperty {
    const char* name;
    ControlInterface iface;
    // The property's number on its interface (VideoProcAmp_* or CameraControl_*).
    LONG id;
};

inline constexpr int kControlPropertyCount = 17;

// The number of the first IAMCameraControl property.
inline constexpr int kFirstCameraControl = 10;

inline constexpr ControlProperty kControlProperties[kControlPropertyCount] = {
    {"Brightness", ControlInterface::kVideoProcAmp, VideoProcAmp_Brightness},
    {"Contrast", ControlInterface::kVideoProcAmp, VideoProcAmp_Contrast},
    {"Hue", ControlInterface::kVideoProcAmp, VideoProcAmp_Hue},
    {"Saturation", ControlInterface::kVideoProcAmp, VideoProcAmp_Saturation},
    {"Sharpness", ControlInterface::kVideoProcAmp, VideoProcAmp_Sharpness},
    {"Gamma", ControlInterface::kVideoProcAmp, VideoProcAmp_Gamma},
    {"ColorEnable", ControlInterface::kVideoProcAmp, VideoProcAmp_ColorEnable},
    {"WhiteBalance", ControlInterface::kVideoProcAmp, VideoProcAmp_WhiteBalance},
    {"BacklightCompensation", ControlInterface::kVideoProcAmp, VideoProcAmp_BacklightCompensation},
    {"Gain", ControlInterface::kVideoProcAmp, VideoProcAmp_Gain},
    {"Pan", ControlInterface::kCameraControl, CameraControl_Pan},
    {"Tilt", ControlInterface::kCameraControl, CameraControl_Tilt},
    {"Roll", ControlInterface::kCameraControl, CameraControl_Roll},
    {"Zoom", ControlInterface::kCameraControl, CameraControl_Zoom},
    {"Exposure", ControlInterface::kCameraControl, CameraControl_Exposure},
    {"Iris", ControlInterface::kCameraControl, CameraControl_Iris},
    {"Focus", ControlInterface::kCameraControl, CameraControl_Focus},
};

// The property of a number, or nullptr outside 0..16.
inline const ControlProperty* controlProperty(int number) {
    return number >= 0 && number < kControlPropertyCount ? &kControlProperties[number] : nullptr;
}

// The number of an interface's property id (0..16), or -1 for an id the
// interface does not have.
inline int controlNumber(ControlInterface iface, LONG id) {
    const int first = iface == ControlInterface::kVideoProcAmp ? 0 : kFirstCameraControl;
    const int last =
        iface == ControlInterface::kVideoProcAmp ? kFirstCameraControl : kControlPropertyCount;
    return id >= 0 && id < last - first ? first + static_cast<int>(id) : -1;
}

// Capability and mode flags, the same for both interfaces.
inline constexpr LONG kControlAuto = VideoProcAmp_Flags_Auto;
inline constexpr LONG kControlManual = VideoProcAmp_Flags_Manual;
static_assert(kControlAuto == CameraControl_Flags_Auto &&
              kControlManual == CameraControl_Flags_Manual);

} // namespace vcx
