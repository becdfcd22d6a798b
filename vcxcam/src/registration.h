// Registration of the cameras: the COM server keys of each camera's class
// and its entry in the video input device category.
#pragma once

#include <windows.h>

namespace vcxcam {

// Registers the cameras the configuration names now, after removing every
// camera registration there is.
HRESULT registerCameras();

// Removes the registration of all kMaxCameras possible cameras, whatever the
// configuration says now.
HRESULT unregisterCameras();

} // namespace vcxcam
