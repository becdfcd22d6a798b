#include "fakes/fake_controls.h"

#include <cstring>

#include <vfwmsgs.h>

namespace fakes {

void* FakeControlFilter::find(REFIID iid) {
    if (iid == IID_IAMVideoProcAmp) {
        return offersProcAmp ? static_cast<IAMVideoProcAmp*>(this) : nullptr;
    }
    if (iid == IID_IAMCameraControl) {
        return offersCameraControl ? static_cast<IAMCameraControl*>(this) : nullptr;
    }
    return FakeFilter::find(iid);
}

FakeProperty* FakeControlFilter::property(const char* iface, LONG id) {
    std::map<LONG, FakeProperty>& table =
        std::strcmp(iface, kIAMVideoProcAmpName) == 0 ? procAmp : cameraControl;
    const auto found = table.find(id);
    return found != table.end() ? &found->second : nullptr;
}

HRESULT FakeControlFilter::rangeOf(const char* iface, LONG id, LONG* minimum, LONG* maximum,
                                   LONG* step, LONG* defaultValue, LONG* capabilities) {
    const HRESULT hr = call(std::string(iface) + ".GetRange(" + std::to_string(id) + ")");
    if (FAILED(hr)) {
        return hr;
    }
    const FakeProperty* found = property(iface, id);
    if (found == nullptr) {
        return E_PROP_ID_UNSUPPORTED;
    }
    *minimum = found->minimum;
    *maximum = found->maximum;
    *step = found->step;
    *defaultValue = found->defaultValue;
    *capabilities = found->capabilities;
    return hr;
}

HRESULT FakeControlFilter::setOf(const char* iface, LONG id, LONG value, LONG flags) {
    const std::string text = std::string(iface) + ".Set(" + std::to_string(id) + ", " +
                             std::to_string(value) + ", " + std::to_string(flags) + ")";
    sets.push_back(text);
    const HRESULT hr = call(text);
    if (FAILED(hr)) {
        return hr;
    }
    FakeProperty* found = property(iface, id);
    if (found == nullptr) {
        return E_PROP_ID_UNSUPPORTED;
    }
    found->value = value;
    found->flags = flags;
    return hr;
}

HRESULT FakeControlFilter::getOf(const char* iface, LONG id, LONG* value, LONG* flags) {
    const HRESULT hr = call(std::string(iface) + ".Get(" + std::to_string(id) + ")");
    if (FAILED(hr)) {
        return hr;
    }
    const FakeProperty* found = property(iface, id);
    if (found == nullptr) {
        return E_PROP_ID_UNSUPPORTED;
    }
    *value = found->value;
    *flags = found->flags;
    return hr;
}

} // namespace fakes
