// The camera properties a device filter offers through IAMVideoProcAmp and
// IAMCameraControl, each under one number: 0..9 are the video processing
// amplifier's properties in their VideoProcAmp order, 10..16 the camera
// control's in their CameraControl order. The library's camera property
// exports and the virtual camera's configuration both go by this table.
#pragma once

#include <windows.h>
#include <dshow.h>

#include "vcxcap.h"

namespace vcx {

enum class PropertyInterface { kVideoProcAmp, kCameraControl };

struct CameraProperty {
    const char* name;
    PropertyInterface iface;
    // The property's number on its interface (VideoProcAmp_* or CameraControl_*).
    LONG id;
};

inline constexpr int kCameraPropertyCount = 17;

// The names, as the public header gives them to hosts.
inline constexpr const char* kCameraPropertyNames[kCameraPropertyCount] = VCX_CONTROL_NAMES;

// The number of the first IAMCameraControl property.
inline constexpr int kFirstCameraControl = 10;

inline constexpr CameraProperty kCameraProperties[kCameraPropertyCount] = {
    {kCameraPropertyNames[0], PropertyInterface::kVideoProcAmp, VideoProcAmp_Brightness},
    {kCameraPropertyNames[1], PropertyInterface::kVideoProcAmp, VideoProcAmp_Contrast},
    {kCameraPropertyNames[2], PropertyInterface::kVideoProcAmp, VideoProcAmp_Hue},
    {kCameraPropertyNames[3], PropertyInterface::kVideoProcAmp, VideoProcAmp_Saturation},
    {kCameraPropertyNames[4], PropertyInterface::kVideoProcAmp, VideoProcAmp_Sharpness},
    {kCameraPropertyNames[5], PropertyInterface::kVideoProcAmp, VideoProcAmp_Gamma},
    {kCameraPropertyNames[6], PropertyInterface::kVideoProcAmp, VideoProcAmp_ColorEnable},
    {kCameraPropertyNames[7], PropertyInterface::kVideoProcAmp, VideoProcAmp_WhiteBalance},
    {kCameraPropertyNames[8], PropertyInterface::kVideoProcAmp, VideoProcAmp_BacklightCompensation},
    {kCameraPropertyNames[9], PropertyInterface::kVideoProcAmp, VideoProcAmp_Gain},
    {kCameraPropertyNames[10], PropertyInterface::kCameraControl, CameraControl_Pan},
    {kCameraPropertyNames[11], PropertyInterface::kCameraControl, CameraControl_Tilt},
    {kCameraPropertyNames[12], PropertyInterface::kCameraControl, CameraControl_Roll},
    {kCameraPropertyNames[13], PropertyInterface::kCameraControl, CameraControl_Zoom},
    {kCameraPropertyNames[14], PropertyInterface::kCameraControl, CameraControl_Exposure},
    {kCameraPropertyNames[15], PropertyInterface::kCameraControl, CameraControl_Iris},
    {kCameraPropertyNames[16], PropertyInterface::kCameraControl, CameraControl_Focus},
};

// The property of a number, or nullptr outside 0..16.
inline const CameraProperty* cameraProperty(int number) {
    return number >= 0 && number < kCameraPropertyCount ? &kCameraProperties[number] : nullptr;
}

// The number of an interface's property id (0..16), or -1 for an id the
// interface does not have.
inline int cameraPropertyNumber(PropertyInterface iface, LONG id) {
    const int first = iface == PropertyInterface::kVideoProcAmp ? 0 : kFirstCameraControl;
    const int last =
        iface == PropertyInterface::kVideoProcAmp ? kFirstCameraControl : kCameraPropertyCount;
    return id >= 0 && id < last - first ? first + static_cast<int>(id) : -1;
}

// Capability and mode flags, the same for both interfaces.
inline constexpr LONG kPropertyAuto = VideoProcAmp_Flags_Auto;
inline constexpr LONG kPropertyManual = VideoProcAmp_Flags_Manual;
static_assert(kPropertyAuto == CameraControl_Flags_Auto &&
              kPropertyManual == CameraControl_Flags_Manual);

} // namespace vcx
