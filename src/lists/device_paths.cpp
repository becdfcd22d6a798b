// The device path list with its size query: the DevicePath of every video
// capture device, line n for device index n of vcx_Open, so that a host can
// tell devices of one name apart and find a device again whatever its index.
#include "vcxcap.h"

#include <dshow.h>

#include "lists/moniker_list.h"

namespace vcx {
namespace {

// One category only: the audio argument of the walk is always 0.
const MonikerListKind kDevicePaths = {&CLSID_VideoInputDeviceCategory,
                                      &CLSID_VideoInputDeviceCategory,
                                      L"DevicePath",
                                      kDeviceNameBytes,
                                      -1,
                                      -2,
                                      -3};

} // namespace
} // namespace vcx

using namespace vcx;

extern "C" int VCXAPI vcx_GetDevicePathList(char* buffer) {
    return listMonikers(kDevicePaths, 0, buffer, ListOutput::kList);
}

extern "C" int VCXAPI vcx_GetDevicePathListSize(void) {
    return listMonikers(kDevicePaths, 0, nullptr, ListOutput::kSize);
}
