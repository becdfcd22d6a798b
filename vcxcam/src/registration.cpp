#include "registration.h"

#include "config.h"
#include "microphone_config.h"
#include "ids.h"
#include "module.h"
#include "registry.h"

#include "core/com_ptr.h"

#include <dshow.h>
#include <uuids.h>

#include <algorithm>
#include <vector>

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

// One pin of a filter's registration: output or input, its category (or
// none) and its media types, all of one major type.
struct RegisteredPin {
    bool output;
    const GUID* category;
    std::vector<const GUID*> subtypes;
    const GUID* majorType = &MEDIATYPE_Video;
};

// A filter as the mapper lists it in a category.
struct RegisteredFilter {
    const GUID* category;
    CLSID clsid;
    std::wstring friendlyName;
    DWORD merit;
    std::vector<RegisteredPin> pins;
};

HRESULT registerInCategory(IFilterMapper2* mapper, const RegisteredFilter& filter) {
    // Each pin points into its own list of types, which must stay put.
    std::vector<std::vector<REGPINTYPES>> types;
    types.reserve(filter.pins.size());
    std::vector<REGFILTERPINS2> pins;
    for (const RegisteredPin& pin : filter.pins) {
        std::vector<REGPINTYPES>& pinTypes = types.emplace_back();
        for (const GUID* subtype : pin.subtypes) {
            pinTypes.push_back(REGPINTYPES{pin.majorType, subtype});
        }
        REGFILTERPINS2 registered{};
        registered.dwFlags = pin.output ? REG_PINFLAG_B_OUTPUT : 0;
        registered.cInstances = 1;
        registered.nMediaTypes = static_cast<UINT>(pinTypes.size());
        registered.lpMediaType = pinTypes.data();
        registered.clsPinCategory = pin.category;
        pins.push_back(registered);
    }
    REGFILTER2 registration{};
    registration.dwVersion = 2;
    registration.dwMerit = filter.merit;
    registration.cPins2 = static_cast<ULONG>(pins.size());
    registration.rgPins2 = pins.data();
    return mapper->RegisterFilter(filter.clsid, filter.friendlyName.c_str(), nullptr,
                                  filter.category, nullptr, &registration);
}

// Makes the filter's class a class of the DLL at dllPath and lists it in its
// category.
HRESULT registerFilter(IFilterMapper2* mapper, const std::wstring& dllPath,
                       const RegisteredFilter& filter) {
    const HRESULT hr = writeServerKeys(filter.clsid, filter.friendlyName, dllPath);
    if (FAILED(hr)) {
        return hr;
    }
    return registerInCategory(mapper, filter);
}

// The subtypes of a camera's capabilities, each once, in order.
std::vector<const GUID*> cameraSubtypes(const CameraConfig& camera) {
    std::vector<const GUID*> subtypes;
    for (const Capability& cap : camera.formats) {
        const GUID* subtype = &subtypeGuid(cap.subtype);
        if (std::find(subtypes.begin(), subtypes.end(), subtype) == subtypes.end()) {
            subtypes.push_back(subtype);
        }
    }
    return subtypes;
}

CLSID converterClsid(int) {
    return kConverterClsid;
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
    removeFilters(mapper, CLSID_LegacyAmFilterCategory, 1, &converterClsid, result);
    removeFilters(mapper, CLSID_AudioInputDeviceCategory, kMaxMicrophones, &microphoneClsid,
                  result);
    return result;
}

HRESULT registerAll(IFilterMapper2* mapper, const std::wstring& dllPath) {
    std::vector<RegisteredFilter> filters;
    const std::vector<CameraConfig> cameras = readCameraConfigs();
    for (const CameraConfig& camera : cameras) {
        filters.push_back({&CLSID_VideoInputDeviceCategory,
                           cameraClsid(camera.index),
                           camera.friendlyName,
                           MERIT_DO_NOT_USE,
                           {{true, &PIN_CATEGORY_CAPTURE, cameraSubtypes(camera)}}});
    }
    const std::vector<std::wstring> compressors = readCompressorNames();
    for (std::size_t index = 0; index < compressors.size(); ++index) {
        filters.push_back(
            {&CLSID_VideoCompressorCategory,
             compressorClsid(static_cast<int>(index)),
             compressors[index],
             MERIT_DO_NOT_USE,
             {{true, nullptr, {&MEDIASUBTYPE_RGB24}}, {false, nullptr, {&MEDIASUBTYPE_RGB24}}}});
    }
    // The lowest merit a graph builder still inserts by itself: on Windows
    // the system's own converters, of higher merit, are tried first.
    filters.push_back({&CLSID_LegacyAmFilterCategory,
                       kConverterClsid,
                       kConverterName,
                       MERIT_UNLIKELY,
                       {{false, nullptr, {&MEDIASUBTYPE_YUY2, &MEDIASUBTYPE_NV12}},
                        {true, nullptr, {&MEDIASUBTYPE_RGB24}}}});
    for (const MicrophoneConfig& microphone : readMicrophoneConfigs()) {
        filters.push_back({&CLSID_AudioInputDeviceCategory,
                           microphoneClsid(microphone.index),
                           microphone.friendlyName,
                           MERIT_DO_NOT_USE,
                           {{true, &PIN_CATEGORY_CAPTURE, {&MEDIASUBTYPE_PCM}, &MEDIATYPE_Audio}}});
    }
    for (const RegisteredFilter& filter : filters) {
        const HRESULT hr = registerFilter(mapper, dllPath, filter);
        if (FAILED(hr)) {
            return hr;
        }
    }
    for (const CameraConfig& camera : cameras) {
        const HRESULT hr = writeDevicePath(camera);
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
