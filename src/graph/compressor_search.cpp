#include "graph/compressor_search.h"

#include <windows.h>
#include <dshow.h>

#include "core/com_ptr.h"
#include "core/platform.h"

namespace vcx {
namespace {

// Equal code unit by code unit, ending at the same place.
bool sameText(const wchar_t* a, const wchar_t* b) {
    for (; *a == *b; ++a, ++b) {
        if (*a == L'\0') {
            return true;
        }
    }
    return false;
}

// Whether the friendly name read is a string equal to name. A value that was
// not read, or is not a string, matches nothing; a null BSTR is the empty
// string.
bool nameMatches(const VARIANT& friendlyName, const wchar_t* name) {
    if (friendlyName.vt != VT_BSTR) {
        return false;
    }
    return sameText(name, friendlyName.bstrVal != nullptr ? friendlyName.bstrVal : L"");
}

void takeCompressor(CaptureSlot& slot, IMoniker* moniker, const wchar_t* name) {
    moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter,
                          reinterpret_cast<void**>(&slot.compressorFilter));
    moniker->BindToObject(nullptr, nullptr, IID_IAMVfwCompressDialogs,
                          reinterpret_cast<void**>(&slot.compressDialogs));
    slot.graph->AddFilter(slot.compressorFilter, name);
}

} // namespace

int32_t addCompressor(CaptureSlot& slot, const wchar_t* name) {
    const Platform& os = platform();
    ComPtr<ICreateDevEnum> devices;
    if (os.coCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC, IID_ICreateDevEnum,
                            devices.putVoid()) != S_OK) {
        return -47;
    }
    ComPtr<IEnumMoniker> compressors;
    if (devices->CreateClassEnumerator(CLSID_VideoCompressorCategory, compressors.put(), 0) !=
            S_OK ||
        !compressors) {
        return -48;
    }
    bool found = false;
    ComPtr<IMoniker> moniker;
    while (!found && compressors->Next(1, moniker.put(), nullptr) == S_OK) {
        // A null moniker reads no name and matches nothing.
        ComPtr<IPropertyBag> bag;
        if (moniker) {
            moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.putVoid());
        }
        VARIANT friendlyName;
        os.variantInit(&friendlyName);
        if (bag) {
            bag->Read(L"FriendlyName", &friendlyName, nullptr);
        }
        if (nameMatches(friendlyName, name)) {
            takeCompressor(slot, moniker.get(), name);
            found = true;
        }
        os.variantClear(&friendlyName);
        moniker.reset();
        bag.reset();
    }
    return found ? 0 : -49;
}

} // namespace vcx
