// Device categories as DirectShow's System Device Enumerator lists them.
#include "harness.h"

#include "core/com_ptr.h"

#include <dshow.h>

#include <optional>

namespace harness {

namespace {

// A string property of a moniker's property bag; nothing when it cannot be read.
std::optional<std::wstring> readProperty(IMoniker* moniker, const wchar_t* name) {
    vcx::ComPtr<IPropertyBag> bag;
    checkHr(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.putVoid()),
            "IMoniker::BindToStorage(IPropertyBag)");
    VARIANT value;
    VariantInit(&value);
    if (FAILED(bag->Read(name, &value, nullptr)) || value.vt != VT_BSTR) {
        VariantClear(&value);
        return std::nullopt;
    }
    std::wstring text(value.bstrVal, SysStringLen(value.bstrVal));
    VariantClear(&value);
    return text;
}

} // namespace

std::vector<CategoryEntry> categoryEntries(const GUID& category) {
    ComScope com;
    std::vector<CategoryEntry> entries;
    vcx::ComPtr<ICreateDevEnum> devices;
    checkHr(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                             IID_ICreateDevEnum, devices.putVoid()),
            "creating the System Device Enumerator");
    vcx::ComPtr<IEnumMoniker> monikers;
    checkHr(devices->CreateClassEnumerator(category, monikers.put(), 0), "CreateClassEnumerator");
    // An empty category answers S_FALSE and no enumerator.
    if (!monikers) {
        return entries;
    }
    vcx::ComPtr<IMoniker> moniker;
    while (monikers->Next(1, moniker.put(), nullptr) == S_OK) {
        const std::optional<std::wstring> name = readProperty(moniker.get(), L"FriendlyName");
        if (!name) {
            throw Failure("an entry without a string FriendlyName");
        }
        entries.push_back(
            CategoryEntry{*name, readProperty(moniker.get(), L"CLSID").value_or(L"")});
    }
    return entries;
}

std::vector<std::wstring> videoInputDeviceNames() {
    std::vector<std::wstring> names;
    for (const CategoryEntry& entry : categoryEntries(CLSID_VideoInputDeviceCategory)) {
        names.push_back(entry.friendlyName);
    }
    return names;
}

} // namespace harness
