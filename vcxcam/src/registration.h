// Registration of the vcxcam filters: the COM server keys of each camera's,
// each test compressor's and the colour converter's class, and their entries
// in the video input device category, the video compressor category and the
// DirectShow filter category.
#pragma once

#include <windows.h>

namespace vcxcam {

// Registers the cameras and compressors the configuration names now, and the
// converter, after removing every registration there is.
HRESULT registerFilters();

// Removes the registration of all kMaxCameras possible cameras, all
// kMaxCompressors possible compressors and the converter, whatever the
// configuration says now.
HRESULT unregisterFilters();

} // namespace vcxcam
