// Registration of the vcxcam filters: the COM server keys of each camera's
// and each test compressor's class, and their entries in the video input
// device category and the video compressor category.
#pragma once

#include <windows.h>

namespace vcxcam {

// Registers the cameras and compressors the configuration names now, after
// removing every registration there is.
HRESULT registerFilters();

// Removes the registration of all kMaxCameras possible cameras and all
// kMaxCompressors possible compressors, whatever the configuration says now.
HRESULT unregisterFilters();

} // namespace vcxcam
