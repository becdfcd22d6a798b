// The four exports of the COM in-process server.
#include "class_factory.h"
#include "ids.h"
#include "module.h"
#include "registration.h"

extern "C" {

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    for (int index = 0; index < vcxcam::kMaxCameras; ++index) {
        if (clsid == vcxcam::cameraClsid(index)) {
            return vcxcam::getCameraClassObject(index, iid, out);
        }
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return vcxcam::moduleInUse() ? S_FALSE : S_OK;
}

HRESULT STDAPICALLTYPE DllRegisterServer() {
    return vcxcam::registerCameras();
}

HRESULT STDAPICALLTYPE DllUnregisterServer() {
    return vcxcam::unregisterCameras();
}

} // extern "C"
