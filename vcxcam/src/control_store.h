// Where a camera keeps the settings of its properties: one ControlState per
// camera, shared by every filter of the camera alive in the process, and each
// change written to HKEY_CURRENT_USER\Software\vcxcam\Controls\N (a value per
// property, "VALUE auto" or "VALUE manual"), so that a camera's settings
// outlive its filters and the process, as a device keeps its settings while
// it stays plugged in.
#pragma once

#include "config.h"
#include "control_state.h"

#include <memory>

namespace vcxcam {

// The state of the configured camera: the one its living filters share, or,
// when none lives, a new one from its configuration with the settings kept in
// the registry (those the configuration still allows).
std::shared_ptr<ControlState> cameraControlState(const CameraConfig& config);

// Writes property number's setting for camera index to the registry.
HRESULT saveControlSetting(int cameraIndex, int number, const ControlSetting& setting);

} // namespace vcxcam
