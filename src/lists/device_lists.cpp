// The device and compressor lists with their size queries: the FriendlyName
// of every moniker of a System Device Enumerator category, as a name list.
#include "vcxcap.h"

#include <dshow.h>

#include "lists/moniker_list.h"

namespace vcx {

const MonikerListKind kDeviceListKind = {&CLSID_VideoInputDeviceCategory,
                                         &CLSID_AudioInputDeviceCategory,
                                         L"FriendlyName",
                                         kDeviceNameBytes,
                                         -1,
                                         -2,
                                         -3};
const MonikerListKind kCompressorListKind = {&CLSID_VideoCompressorCategory,
                                             &CLSID_AudioCompressorCategory,
                                             L"FriendlyName",
                                             kCompressorNameBytes,
                                             -2,
                                             -3,
                                             -4};

} // namespace vcx

using namespace vcx;

extern "C" int VCXAPI vcx_GetDeviceList(char* buffer, int audio) {
    return listMonikers(kDeviceListKind, audio, buffer, ListOutput::kList);
}

extern "C" int VCXAPI vcx_GetDeviceListSize(int audio) {
    return listMonikers(kDeviceListKind, audio, nullptr, ListOutput::kSize);
}

extern "C" int VCXAPI vcx_GetCodecList(char* buffer, int audio) {
    return listMonikers(kCompressorListKind, audio, buffer, ListOutput::kList);
}

extern "C" int VCXAPI vcx_GetCodecListSize(int audio) {
    return listMonikers(kCompressorListKind, audio, nullptr, ListOutput::kSize);
}
