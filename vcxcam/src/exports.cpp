// The four exports of the COM in-process server.
#include "camera_filter.h"
#include "class_factory.h"
#include "compressor_filter.h"
#include "converter_filter.h"
#include "ids.h"
#include "microphone_filter.h"
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
            return vcxcam::getClassObject(&vcxcam::CameraFilter::create, index, iid, out);
        }
    }
    for (int index = 0; index < vcxcam::kMaxCompressors; ++index) {
        if (clsid == vcxcam::compressorClsid(index)) {
            return vcxcam::getClassObject(&vcxcam::CompressorFilter::create, index, iid, out);
        }
    }
    for (int index = 0; index < vcxcam::kMaxMicrophones; ++index) {
        if (clsid == vcxcam::microphoneClsid(index)) {
            return vcxcam::getClassObject(&vcxcam::MicrophoneFilter::create, index, iid, out);
        }
    }
    if (clsid == vcxcam::kConverterClsid) {
        return vcxcam::getClassObject(&vcxcam::ConverterFilter::create, 0, iid, out);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return vcxcam::moduleInUse() ? S_FALSE : S_OK;
}

HRESULT STDAPICALLTYPE DllRegisterServer() {
    return vcxcam::registerFilters();
}

HRESULT STDAPICALLTYPE DllUnregisterServer() {
    return vcxcam::unregisterFilters();
}

} // extern "C"
