#include "registration.h"

#include "config.h"
#include "ids.h"
#include "module.h"
#include "registry.h"

#include "core/com_ptr.h"

#include <dshow.h>

namespace vcxcam {

namespace {

// Keeps COM initialised for the calling thread while registering; regsvr32
// need not have done it.
class ComScope {
  public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope() {
        if (SUCCEEDED(result_)) {
            CoUninitialize();
        }
    }

  private:
    HRESULT result_;
};

std::wstring classKeyPath(int index) {
    return L"CLSID\\" + guidString(cameraClsid(index));
}

HRESULT writeServerKeys(const CameraConfig& camera, const std::wstring& dllPath) {
    LSTATUS status = ERROR_SUCCESS;
    const RegKey classKey = RegKey::create(HKEY_CLASSES_ROOT, classKeyPath(camera.index), &status);
    if (!classKey) {
        return HRESULT_FROM_WIN32(status);
    }
    status = classKey.writeString(nullptr, camera.friendlyName);
    if (status != ERROR_SUCCESS) {
        return HRESULT_FROM_WIN32(status);
    }
    const RegKey server = RegKey::create(classKey.get(), L"InprocServer32", &status);
    if (!server) {
        return HRESULT_FROM_WIN32(status);
    }
    status = server.writeString(nullptr, dllPath);
    if (status == ERROR_SUCCESS) {
        status = server.writeString(L"ThreadingModel", L"Both");
    }
    return HRESULT_FROM_WIN32(status);
}

HRESULT registerInCategory(IFilterMapper2* mapper, const CameraConfig& camera) {
    REGPINTYPES type = {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB24};
    REGFILTERPINS2 pin{};
    pin.dwFlags = REG_PINFLAG_B_OUTPUT;
    pin.cInstances = 1;
    pin.nMediaTypes = 1;
    pin.lpMediaType = &type;
    pin.clsPinCategory = &PIN_CATEGORY_CAPTURE;
    REGFILTER2 filter{};
    filter.dwVersion = 2;
    filter.dwMerit = MERIT_DO_NOT_USE;
    filter.cPins2 = 1;
    filter.rgPins2 = &pin;
    const CLSID clsid = cameraClsid(camera.index);
    return mapper->RegisterFilter(clsid, camera.friendlyName.c_str(), nullptr,
                                  &CLSID_VideoInputDeviceCategory, nullptr, &filter);
}

HRESULT createMapper(vcx::ComPtr<IFilterMapper2>& mapper) {
    return CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                            mapper.putVoid());
}

// Removing the last camera leaves the category's Instance key empty; the
// mapper made it, and nothing else needs an empty one.
void removeEmptyCategoryInstanceKey() {
    const std::wstring path =
        L"CLSID\\" + guidString(CLSID_VideoInputDeviceCategory) + L"\\Instance";
    const RegKey key = RegKey::open(HKEY_CLASSES_ROOT, path);
    DWORD subkeys = 0;
    DWORD values = 0;
    if (!key ||
        RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
        subkeys != 0 || values != 0) {
        return;
    }
    RegDeleteKeyW(HKEY_CLASSES_ROOT, path.c_str());
}

HRESULT removeAll(IFilterMapper2* mapper) {
    HRESULT result = S_OK;
    for (int index = 0; index < kMaxCameras; ++index) {
        const CLSID clsid = cameraClsid(index);
        const HRESULT hr =
            mapper->UnregisterFilter(&CLSID_VideoInputDeviceCategory, nullptr, clsid);
        if (FAILED(hr) && hr != HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) && SUCCEEDED(result)) {
            result = hr;
        }
        const LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, classKeyPath(index).c_str());
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND && SUCCEEDED(result)) {
            result = HRESULT_FROM_WIN32(status);
        }
    }
    removeEmptyCategoryInstanceKey();
    return result;
}

} // namespace

HRESULT registerCameras() {
    ComScope com;
    vcx::ComPtr<IFilterMapper2> mapper;
    HRESULT hr = createMapper(mapper);
    if (FAILED(hr)) {
        return hr;
    }
    hr = removeAll(mapper.get());
    if (FAILED(hr)) {
        return hr;
    }
    const std::wstring dllPath = modulePath();
    if (dllPath.empty()) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    for (const CameraConfig& camera : readCameraConfigs()) {
        hr = writeServerKeys(camera, dllPath);
        if (SUCCEEDED(hr)) {
            hr = registerInCategory(mapper.get(), camera);
        }
        if (FAILED(hr)) {
            removeAll(mapper.get());
            return hr;
        }
    }
    return S_OK;
}

HRESULT unregisterCameras() {
    ComScope com;
    vcx::ComPtr<IFilterMapper2> mapper;
    const HRESULT hr = createMapper(mapper);
    if (FAILED(hr)) {
        return hr;
    }
    return removeAll(mapper.get());
}

} // namespace vcxcam
