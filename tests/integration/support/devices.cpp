// The video input devices as DirectShow's System Device Enumerator lists them.
#include "harness.h"

#include "core/com_ptr.h"

#include <dshow.h>

namespace harness {

namespace {

std::wstring friendlyName(IMoniker* moniker) {
    vcx::ComPtr<IPropertyBag> bag;
    checkHr(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.putVoid()),
            "IMoniker::BindToStorage(IPropertyBag)");
    VARIANT value;
    VariantInit(&value);
    checkHr(bag->Read(L"FriendlyName", &value, nullptr), "reading FriendlyName");
    if (value.vt != VT_BSTR) {
        VariantClear(&value);
        throw Failure("FriendlyName is not a BSTR");
    }
    std::wstring name(value.bstrVal, SysStringLen(value.bstrVal));
    VariantClear(&value);
    return name;
}

} // namespace

std::vector<std::wstring> videoInputDeviceNames() {
    ComScope com;
    std::vector<std::wstring> names;
    vcx::ComPtr<ICreateDevEnum> devices;
    checkHr(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                             IID_ICreateDevEnum, devices.putVoid()),
            "creating the System Device Enumerator");
    vcx::ComPtr<IEnumMoniker> monikers;
    checkHr(devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, monikers.put(), 0),
            "CreateClassEnumerator(video input)");
    // An empty category answers S_FALSE and no enumerator.
    if (!monikers) {
        return names;
    }
    vcx::ComPtr<IMoniker> moniker;
    while (monikers->Next(1, moniker.put(), nullptr) == S_OK) {
        names.push_back(friendlyName(moniker.get()));
    }
    return names;
}

} // namespace harness
