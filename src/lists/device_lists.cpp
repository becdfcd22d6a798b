// The device and compressor lists with their size queries: the FriendlyName
// of every moniker of a System Device Enumerator category, as a name list.
#include "vcxcap.h"

#include <dshow.h>

#include "lists/moniker_list.h"

namespace vcx {

// Declared in moniker_list.h: the audio compressor search of open and of
// vcx_SetAudioCodec matches names as this list writes them.
const MonikerListKind kAudioCompressors = {
    &CLSID_AudioCompressorCategory, L"FriendlyName", kCompressorNameBytes, -2, -3, -4};

namespace {

const MonikerListKind kVideoDevices = {
    &CLSID_VideoInputDeviceCategory, L"FriendlyName", kDeviceNameBytes, -1, -2, -3};
const MonikerListKind kAudioDevices = {
    &CLSID_AudioInputDeviceCategory, L"FriendlyName", kDeviceNameBytes, -1, -2, -3};
const MonikerListKind kVideoCompressors = {
    &CLSID_VideoCompressorCategory, L"FriendlyName", kCompressorNameBytes, -2, -3, -4};

// The video list for audio 0, the audio list for any other value.
const MonikerListKind& deviceList(int audio) {
    return audio == 0 ? kVideoDevices : kAudioDevices;
}
const MonikerListKind& compressorList(int audio) {
    return audio == 0 ? kVideoCompressors : kAudioCompressors;
}

} // namespace
} // namespace vcx

using namespace vcx;

extern "C" int VCXAPI vcx_GetDeviceList(char* buffer, int audio) {
    return listMonikers(deviceList(audio), buffer, ListOutput::kList);
}

extern "C" int VCXAPI vcx_GetDeviceListSize(int audio) {
    return listMonikers(deviceList(audio), nullptr, ListOutput::kSize);
}

extern "C" int VCXAPI vcx_GetCodecList(char* buffer, int audio) {
    return listMonikers(compressorList(audio), buffer, ListOutput::kList);
}

extern "C" int VCXAPI vcx_GetCodecListSize(int audio) {
    return listMonikers(compressorList(audio), nullptr, ListOutput::kSize);
}
