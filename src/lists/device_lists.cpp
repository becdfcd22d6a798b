// The device and compressor lists with their size queries: the FriendlyName
// of every moniker of a System Device Enumerator category, as a name list.
#include "vcxcap.h"

#include <dshow.h>

#include "lists/moniker_list.h"

namespace vcx {
namespace {

const MonikerListKind kDevices = {&CLSID_VideoInputDeviceCategory,
                                  &CLSID_AudioInputDeviceCategory,
                                  L"FriendlyName",
                                  kDeviceNameBytes,
                                  -1,
                                  -2,
                                  -3};
const MonikerListKind kCompressors = {&CLSID_VideoCompressorCategory,
                                      &CLSID_AudioCompressorCategory,
                                      L"FriendlyName",
                                      kCompressorNameBytes,
                                      -2,
                                      -3,
                                      -4};

} // namespace
} // namespace vcx

using namespace vcx;

extern "C" int VCXAPI vcx_GetDeviceList(char* buffer, int audio) {
    return listMonikers(kDevices, audio, buffer, ListOutput::kList);
}

extern "C" int VCXAPI vcx_GetDeviceListSize(int audio) {
    return listMonikers(kDevices, audio, nullptr, ListOutput::kSize);
}

extern "C" int VCXAPI vcx_GetCodecList(char* buffer, int audio) {
    return listMonikers(kCompressors, audio, buffer, ListOutput::kList);
}

extern "C" int VCXAPI vcx_GetCodecListSize(int audio) {
    return listMonikers(kCompressors, audio, nullptr, ListOutput::kSize);
}
