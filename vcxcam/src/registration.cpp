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

std::wstring classKeyPath(const CLSID& clsid) {
    return L"CLSID\\" + guidString(clsid);
}

HRESULT writeServerKeys(const CLSID& clsid, const std::wstring& friendlyName,
                        const std::wstring& dllPath) {
    LSTATUS status = ERROR_SUCCESS;
    const RegKey classKey = RegKey::create(HKEY_CLASSES_ROOT, classKeyPath(clsid), &status);
    if (!classKey) {
        return HRESULT_FROM_WIN32(status);
    }
    status = classKey.writeString(nullptr, friendlyName);
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

// Registers clsid in category with RGB24 video pins, the first pinCount of
// an output pin (of category pinCategory) and an input pin.
HRESULT registerInCategory(IFilterMapper2* mapper, const GUID& category, const CLSID& clsid,
                           const std::wstring& friendlyName, ULONG pinCount,
                           const GUID* pinCategory) {
    REGPINTYPES type = {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB24};
    REGFILTERPINS2 pins[2] = {};
    pins[0].dwFlags = REG_PINFLAG_B_OUTPUT;
    pins[0].clsPinCategory = pinCategory;
    for (REGFILTERPINS2& pin : pins) {
        pin.cInstances = 1;
        pin.nMediaTypes = 1;
        pin.lpMediaType = &type;
    }
    REGFILTER2 filter{};
    filter.dwVersion = 2;
    filter.dwMerit = MERIT_DO_NOT_USE;
    filter.cPins2 = pinCount;
    filter.rgPins2 = pins;
    return mapper->RegisterFilter(clsid, friendlyName.c_str(), nullptr, &category, nullptr,
                                  &filter);
}

// Makes clsid a class of the DLL at dllPath and lists it in category.
HRESULT registerFilter(IFilterMapper2* mapper, const std::wstring& dllPath, const GUID& category,
                       const CLSID& clsid, const std::wstring& friendlyName, ULONG pinCount,
                       const GUID* pinCategory) {
    const HRESULT hr = writeServerKeys(clsid, friendlyName, dllPath);
    if (FAILED(hr)) {
        return hr;
    }
    return registerInCategory(mapper, category, clsid, friendlyName, pinCount, pinCategory);
}

// Adds the camera's DevicePath to its entry in the video input category,
// where the System Device Enumerator's property bag reads it; a camera
// configured without one gets none.
HRESULT writeDevicePath(const CameraConfig& camera) {
    if (camera.devicePath.empty()) {
        return S_OK;
    }
    const std::wstring path = L"CLSID\\" + guidString(CLSID_VideoInputDeviceCategory) +
                              L"\\Instance\\" + guidString(cameraClsid(camera.index));
    LSTATUS status = ERROR_SUCCESS;
    const RegKey entry = RegKey::create(HKEY_CLASSES_ROOT, path, &status);
    if (!entry) {
        return HRESULT_FROM_WIN32(status);
    }
    return HRESULT_FROM_WIN32(entry.writeString(L"DevicePath", camera.devicePath));
}

HRESULT createMapper(vcx::ComPtr<IFilterMapper2>& mapper) {
    return CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                            mapper.putVoid());
}

// Removing our last entry of a category may leave its Instance key empty;
// the mapper made it, and nothing else needs an empty one.
void removeEmptyInstanceKey(const GUID& category) {
    const std::wstring path = L"CLSID\\" + guidString(category) + L"\\Instance";
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

// Removes count filters of category, whose class identifiers clsidOf gives;
// the first failure other than a missing entry goes into result.
void removeFilters(IFilterMapper2* mapper, const GUID& category, int count, CLSID (*clsidOf)(int),
                   HRESULT& result) {
    for (int index = 0; index < count; ++index) {
        const CLSID clsid = clsidOf(index);
        const HRESULT hr = mapper->UnregisterFilter(&category, nullptr, clsid);
        if (FAILED(hr) && hr != HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) && SUCCEEDED(result)) {
            result = hr;
        }
        const LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, classKeyPath(clsid).c_str());
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND && SUCCEEDED(result)) {
            result = HRESULT_FROM_WIN32(status);
        }
    }
    removeEmptyInstanceKey(category);
}

HRESULT removeAll(IFilterMapper2* mapper) {
    HRESULT result = S_OK;
    removeFilters(mapper, CLSID_VideoInputDeviceCategory, kMaxCameras, &cameraClsid, result);
    removeFilters(mapper, CLSID_VideoCompressorCategory, kMaxCompressors, &compressorClsid, result);
    return result;
}

HRESULT registerAll(IFilterMapper2* mapper, const std::wstring& dllPath) {
    for (const CameraConfig& camera : readCameraConfigs()) {
        HRESULT hr = registerFilter(mapper, dllPath, CLSID_VideoInputDeviceCategory,
                                    cameraClsid(camera.index), camera.friendlyName, 1,
                                    &PIN_CATEGORY_CAPTURE);
        if (FAILED(hr)) {
            return hr;
        }
        hr = writeDevicePath(camera);
        if (FAILED(hr)) {
            return hr;
        }
    }
    const std::vector<std::wstring> compressors = readCompressorNames();
    for (std::size_t index = 0; index < compressors.size(); ++index) {
        const HRESULT hr = registerFilter(mapper, dllPath, CLSID_VideoCompressorCategory,
                                          compressorClsid(static_cast<int>(index)),
                                          compressors[index], 2, nullptr);
        if (FAILED(hr)) {
            return hr;
        }
    }
    return S_OK;
}

} // namespace

HRESULT registerFilters() {
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
    hr = registerAll(mapper.get(), dllPath);
    if (FAILED(hr)) {
        removeAll(mapper.get());
    }
    return hr;
}

HRESULT unregisterFilters() {
    ComScope com;
    vcx::ComPtr<IFilterMapper2> mapper;
    const HRESULT hr = createMapper(mapper);
    if (FAILED(hr)) {
        return hr;
    }
    return removeAll(mapper.get());
}

} // namespace vcxcam
