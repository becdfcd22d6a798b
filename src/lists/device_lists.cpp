// The device and compressor lists with their size queries: the FriendlyName
// of every moniker of a System Device Enumerator category, as a name list.
#include "vcxcap.h"

#include <windows.h>
#include <dshow.h>

#include "core/com_ptr.h"
#include "core/device_category.h"
#include "core/platform.h"
#include "core/slots.h"
#include "lists/name_list.h"

namespace vcx {
namespace {

// What tells the device lists and the compressor lists apart.
struct MonikerListKind {
    const CLSID* videoCategory;
    const CLSID* audioCategory;
    int nameBytes;
    // Results of the failing steps.
    int32_t noDeviceEnumerator;
    int32_t noCategoryEnumerator;
    int32_t nullBuffer;
};

const MonikerListKind kDevices = {
    &CLSID_VideoInputDeviceCategory, &CLSID_AudioInputDeviceCategory, kDeviceNameBytes, -1, -2, -3};
const MonikerListKind kCompressors = {&CLSID_VideoCompressorCategory,
                                      &CLSID_AudioCompressorCategory,
                                      kCompressorNameBytes,
                                      -2,
                                      -3,
                                      -4};

// Adds the moniker's FriendlyName to the list; an empty entry when the moniker
// has no property bag or no string FriendlyName.
void addFriendlyName(IMoniker* moniker, int nameBytes, NameList& list) {
    ComPtr<IPropertyBag> bag;
    if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.putVoid())) || !bag) {
        list.addName(nullptr, nameBytes);
        return;
    }
    VARIANT name;
    platform().variantInit(&name);
    // Asks the bag for a string; a bag that cannot give one fails or hands
    // out another type.
    name.vt = VT_BSTR;
    name.bstrVal = nullptr;
    const HRESULT read = bag->Read(L"FriendlyName", &name, nullptr);
    list.addName(SUCCEEDED(read) && name.vt == VT_BSTR ? name.bstrVal : nullptr, nameBytes);
    platform().variantClear(&name);
}

// The list (into buffer) or its size, for the category audio selects.
int32_t listMonikers(const MonikerListKind& kind, int32_t audio, char* buffer, ListOutput output) {
    if (checkSlotState(kGuardComInitialized) < 0) {
        return -1;
    }
    CategoryWalk walk;
    switch (walk.open(audio == 0 ? *kind.videoCategory : *kind.audioCategory)) {
    case CategoryOpen::kNoDeviceEnumerator:
        return kind.noDeviceEnumerator;
    case CategoryOpen::kNoCategoryEnumerator:
        return kind.noCategoryEnumerator;
    case CategoryOpen::kOpened:
        break;
    }
    if (output == ListOutput::kList && buffer == nullptr) {
        return kind.nullBuffer;
    }
    NameList list = NameList::of(output, buffer);
    walk.forEach([&](IMoniker* moniker) { addFriendlyName(moniker, kind.nameBytes, list); });
    return list.result();
}

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
