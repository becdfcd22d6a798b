// The device path list with its size query: the DevicePath of every video
// capture device, line n for device index n of vcx_Open, so that a host can
// tell devices of one name apart and find a device again whatever its index.
#include "vcxcap.h"

#include <dshow.h>

#include "lists/moniker_list.h"

namespace vcx {
namespace {

const MonikerListKind kDevicePaths = {
    &CLSID_VideoInputDeviceCategory, L"DevicePath", kDeviceNameBytes, -1, -2, -3};

} // namespace
} // namespace vcx

using namespace vcx;

extern "C" int VCXAPI vcx_GetDevicePathList(char* buffer) {
    return listMonikers(kDevicePaths, buffer, ListOutput::kList);
}

extern "C" int VCXAPI vcx_GetDevicePathListSize(void) {
    return listMonikers(kDevicePaths, nullptr, ListOutput::kSize);
}
