#include "fakes/fake_com.h"

#include <dshow.h>
#include <qedit.h>
#include <d3d9.h>
#include <vmr9.h>

#include <cstdio>
#include <utility>

#include "core/directshow.h"

namespace fakes {

std::vector<std::string> Journal::matching(std::string_view needle) const {
    std::vector<std::string> found;
    for (const std::string& entry : entries_) {
        if (entry.find(needle) != std::string::npos) {
            found.push_back(entry);
        }
    }
    return found;
}

bool Journal::contains(std::string_view text) const {
    return indexOf(text) >= 0;
}

int Journal::indexOf(std::string_view text) const {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i] == text) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

Journal& journal() {
    static Journal instance;
    return instance;
}

std::string guidName(REFGUID guid) {
    static const std::pair<const GUID*, const char*> known[] = {
        {&CLSID_FilterGraph, "FilterGraph"},
        {&vcx::kClsidSampleGrabber, "SampleGrabber"},
        {&vcx::kClsidNullRenderer, "NullRenderer"},
        {&CLSID_CaptureGraphBuilder2, "CaptureGraphBuilder2"},
        {&CLSID_SystemDeviceEnum, "SystemDeviceEnum"},
        {&CLSID_VideoRenderer, "VideoRenderer"},
        {&CLSID_VideoMixingRenderer, "VideoMixingRenderer"},
        {&CLSID_VideoMixingRenderer9, "VideoMixingRenderer9"},
        {&CLSID_VideoInputDeviceCategory, "VideoInputDeviceCategory"},
        {&CLSID_AudioInputDeviceCategory, "AudioInputDeviceCategory"},
        {&CLSID_VideoCompressorCategory, "VideoCompressorCategory"},
        {&CLSID_AudioCompressorCategory, "AudioCompressorCategory"},
        {&IID_IUnknown, "IUnknown"},
        {&IID_IGraphBuilder, "IGraphBuilder"},
        {&IID_IFilterGraph, "IFilterGraph"},
        {&IID_IMediaControl, "IMediaControl"},
        {&IID_IVideoWindow, "IVideoWindow"},
        {&IID_IMediaEventEx, "IMediaEventEx"},
        {&IID_IAMDroppedFrames, "IAMDroppedFrames"},
        {&IID_IMediaSample, "IMediaSample"},
        {&IID_IBaseFilter, "IBaseFilter"},
        {&IID_IMediaFilter, "IMediaFilter"},
        {&IID_IPersist, "IPersist"},
        {&IID_ISampleGrabber, "ISampleGrabber"},
        {&IID_ICaptureGraphBuilder2, "ICaptureGraphBuilder2"},
        {&IID_ICreateDevEnum, "ICreateDevEnum"},
        {&IID_IEnumMoniker, "IEnumMoniker"},
        {&IID_IMoniker, "IMoniker"},
        {&IID_IPropertyBag, "IPropertyBag"},
        {&IID_IAMStreamConfig, "IAMStreamConfig"},
        {&IID_ISpecifyPropertyPages, "ISpecifyPropertyPages"},
        {&IID_IEnumPins, "IEnumPins"},
        {&IID_IPin, "IPin"},
        {&IID_IAMVfwCompressDialogs, "IAMVfwCompressDialogs"},
        {&IID_IVMRFilterConfig, "IVMRFilterConfig"},
        {&IID_IVMRFilterConfig9, "IVMRFilterConfig9"},
        {&IID_IVMRMixerBitmap, "IVMRMixerBitmap"},
        {&IID_IVMRMixerBitmap9, "IVMRMixerBitmap9"},
        {&IID_IAMVideoProcAmp, "IAMVideoProcAmp"},
        {&IID_IAMCameraControl, "IAMCameraControl"},
        {&PIN_CATEGORY_CAPTURE, "PIN_CATEGORY_CAPTURE"},
        {&PIN_CATEGORY_PREVIEW, "PIN_CATEGORY_PREVIEW"},
        {&MEDIATYPE_Video, "MEDIATYPE_Video"},
        {&MEDIATYPE_Audio, "MEDIATYPE_Audio"},
        {&IID_IReferenceClock, "IReferenceClock"},
        {&IID_IConfigAviMux, "IConfigAviMux"},
        {&IID_IConfigInterleaving, "IConfigInterleaving"},
        {&MEDIASUBTYPE_RGB24, "MEDIASUBTYPE_RGB24"},
        {&MEDIASUBTYPE_Avi, "MEDIASUBTYPE_Avi"},
        {&FORMAT_VideoInfo, "FORMAT_VideoInfo"},
    };
    for (const auto& [id, name] : known) {
        if (IsEqualGUID(*id, guid)) {
            return name;
        }
    }
    char text[40];
    std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                  guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                  guid.Data4[6], guid.Data4[7]);
    return text;
}

std::string narrow(const wchar_t* text) {
    if (text == nullptr) {
        return "(null)";
    }
    std::string out;
    for (; *text != 0; ++text) {
        out.push_back(*text < 0x80 ? static_cast<char>(*text) : '?');
    }
    return out;
}

namespace {

std::vector<FakeCom*>& registry() {
    static std::vector<FakeCom*> fakes;
    return fakes;
}

} // namespace

FakeCom::FakeCom(std::string name) : name_(std::move(name)) {
    registry().push_back(this);
}

FakeCom::~FakeCom() {
    std::erase(registry(), this);
}

const std::vector<FakeCom*>& FakeCom::living() {
    return registry();
}

std::map<std::string, ULONG> FakeCom::referenceCounts() {
    std::map<std::string, ULONG> counts;
    for (FakeCom* fake : registry()) {
        counts[fake->name()] = fake->refs();
    }
    return counts;
}

ULONG FakeCom::release(const char* via) {
    journal().record(name_ + (via != nullptr ? std::string(".Release(") + via + ")" : ".Release"));
    const ULONG left = --refs_;
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT FakeCom::handOut(REFIID iid, void** out) {
    *out = find(iid);
    if (*out == nullptr) {
        return E_NOINTERFACE;
    }
    addRef();
    return S_OK;
}

HRESULT FakeCom::call(const std::string& call, Site site) {
    const std::string entry = name_ + "." + call;
    journal().record(entry);
    return injector().answer(entry, configured(call), site);
}

HRESULT FakeCom::configured(const std::string& call) const {
    if (auto exact = results_.find(call); exact != results_.end()) {
        return exact->second;
    }
    const std::string method = call.substr(0, call.find('('));
    if (auto any = results_.find(method); any != results_.end()) {
        return any->second;
    }
    return S_OK;
}

HRESULT FakeCom::query(REFIID iid, void** out) {
    const HRESULT hr = call("QueryInterface(" + guidName(iid) + ")");
    if (FAILED(hr)) {
        *out = nullptr;
        return hr;
    }
    const HRESULT found = handOut(iid, out);
    return found == S_OK ? hr : found;
}

} // namespace fakes
