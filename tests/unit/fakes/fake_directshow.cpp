#include "fakes/fake_directshow.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "fakes/fake_sync.h"
#include "fakes/fake_task_memory.h"

namespace fakes {

std::string describe(const void* iface) {
    if (iface == nullptr) {
        return "null";
    }
    static const IID* const interfaces[] = {
        &IID_IUnknown,        &IID_IBaseFilter,           &IID_ISampleGrabber,
        &IID_IGraphBuilder,   &IID_IMediaControl,         &IID_IVideoWindow,
        &IID_IMoniker,        &IID_IPropertyBag,          &IID_IEnumMoniker,
        &IID_ICreateDevEnum,  &IID_ICaptureGraphBuilder2, &IID_IAMVfwCompressDialogs,
        &IID_IReferenceClock, &IID_IConfigAviMux,         &IID_IConfigInterleaving,
    };
    for (FakeCom* fake : FakeCom::living()) {
        for (const IID* iid : interfaces) {
            if (fake->find(*iid) == iface) {
                return fake->name();
            }
        }
    }
    return "unknown";
}

// FakeFilter

FakeFilter::FakeFilter(std::string name) : FakeCom(std::move(name)) {}

FakeFilter::~FakeFilter() = default;

void* FakeFilter::find(REFIID iid) {
    if (iid == IID_IUnknown || iid == IID_IPersist || iid == IID_IMediaFilter ||
        iid == IID_IBaseFilter) {
        return static_cast<IBaseFilter*>(this);
    }
    return nullptr;
}

HRESULT FakeFilter::GetClassID(CLSID* id) {
    *id = CLSID_NULL;
    return call("GetClassID");
}

HRESULT FakeFilter::GetState(DWORD, FILTER_STATE* state) {
    *state = State_Stopped;
    return call("GetState");
}

HRESULT FakeFilter::EnumPins(IEnumPins** pins) {
    *pins = nullptr;
    if (pinEnumerator == nullptr) {
        return E_NOTIMPL;
    }
    const HRESULT hr = call("EnumPins");
    if (FAILED(hr)) {
        return hr;
    }
    const HRESULT handed = pinEnumerator->handOut(IID_IEnumPins, reinterpret_cast<void**>(pins));
    return handed == S_OK ? hr : handed;
}

HRESULT FakeFilter::QueryFilterInfo(FILTER_INFO* info) {
    std::memset(info, 0, sizeof *info);
    return call("QueryFilterInfo");
}

// FakeSampleGrabber

void* FakeSampleGrabber::find(REFIID iid) {
    if (iid == IID_ISampleGrabber) {
        return static_cast<ISampleGrabber*>(this);
    }
    return FakeFilter::find(iid);
}

HRESULT FakeSampleGrabber::SetOneShot(WINBOOL oneShot) {
    return call(oneShot ? "SetOneShot(TRUE)" : "SetOneShot(FALSE)");
}

HRESULT FakeSampleGrabber::SetMediaType(const AM_MEDIA_TYPE* type) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(type);
    mediaTypeBytes.assign(bytes, bytes + sizeof *type);
    return call("SetMediaType");
}

HRESULT FakeSampleGrabber::GetConnectedMediaType(AM_MEDIA_TYPE* type) {
    std::memset(type, 0, sizeof *type);
    const HRESULT hr = call("GetConnectedMediaType");
    if (FAILED(hr)) {
        return hr;
    }
    type->lSampleSize = sampleSize;
    if (!connectedFormat.empty()) {
        type->pbFormat = static_cast<BYTE*>(allocateTaskMemory(connectedFormat.size()));
        std::memcpy(type->pbFormat, connectedFormat.data(), connectedFormat.size());
        type->cbFormat = static_cast<ULONG>(connectedFormat.size());
        ++formatBlocks;
    }
    if (typeUnknown != nullptr) {
        typeUnknown->handOut(IID_IUnknown, reinterpret_cast<void**>(&type->pUnk));
    }
    return hr;
}

HRESULT FakeSampleGrabber::SetBufferSamples(WINBOOL buffer) {
    return call(buffer ? "SetBufferSamples(TRUE)" : "SetBufferSamples(FALSE)");
}

HRESULT FakeSampleGrabber::GetCurrentBuffer(LONG* size, LONG* buffer) {
    lastSize = size;
    lastBuffer = buffer;
    const HRESULT hr = call("GetCurrentBuffer");
    if (FAILED(hr) || size == nullptr) {
        return hr;
    }
    if (buffer != nullptr) {
        const std::size_t room = *size > 0 ? static_cast<std::size_t>(*size) : 0;
        std::memcpy(buffer, currentFrame.data(), std::min(room, currentFrame.size()));
    }
    *size = reportedSize >= 0 ? reportedSize : static_cast<LONG>(currentFrame.size());
    return hr;
}

HRESULT FakeSampleGrabber::SetCallback(ISampleGrabberCB* cb, LONG method) {
    const HRESULT hr = call("SetCallback(" + std::to_string(method) + ")");
    if (FAILED(hr)) {
        return hr;
    }
    callback = cb;
    callbackMethod = method;
    return hr;
}

HRESULT FakeSampleGrabber::deliver(IMediaSample* sample, double time) {
    if (callback == nullptr || callbackMethod != 0) {
        return E_UNEXPECTED;
    }
    return callback->SampleCB(time, sample);
}

// FakeFilterGraph

FakeFilterGraph::~FakeFilterGraph() = default;

void* FakeFilterGraph::find(REFIID iid) {
    if (iid == IID_IUnknown || iid == IID_IFilterGraph || iid == IID_IGraphBuilder) {
        return static_cast<IGraphBuilder*>(this);
    }
    if (iid == IID_IMediaControl) {
        return static_cast<IMediaControl*>(this);
    }
    if (iid == IID_IVideoWindow) {
        return static_cast<IVideoWindow*>(this);
    }
    if (iid == IID_IMediaEvent || iid == IID_IMediaEventEx) {
        return static_cast<IMediaEventEx*>(this);
    }
    if (iid == IID_IMediaFilter) {
        return static_cast<IMediaFilter*>(this);
    }
    return nullptr;
}

HRESULT FakeFilterGraph::SetSyncSource(IReferenceClock* clock) {
    return call("SetSyncSource(" + describe(clock) + ")");
}

HANDLE FakeFilterGraph::eventHandle() {
    if (eventHandle_ == nullptr) {
        eventHandle_ = FakeSync::current()->makeEvent(true);
    }
    return eventHandle_;
}

void FakeFilterGraph::post(LONG code, LONG_PTR param1, LONG_PTR param2) {
    queued.push_back({code, param1, param2});
    FakeSync::current()->set(eventHandle());
}

HRESULT FakeFilterGraph::GetEventHandle(OAEVENT* event) {
    *event = 0;
    const HRESULT hr = call("GetEventHandle");
    if (SUCCEEDED(hr)) {
        *event = reinterpret_cast<OAEVENT>(eventHandle());
    }
    return hr;
}

HRESULT FakeFilterGraph::GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeout) {
    *code = 0;
    const HRESULT hr = call("GetEvent(" + std::to_string(timeout) + ")");
    if (FAILED(hr)) {
        return hr;
    }
    if (queued.empty()) {
        return E_ABORT;
    }
    *code = queued.front().code;
    *param1 = queued.front().param1;
    *param2 = queued.front().param2;
    queued.erase(queued.begin());
    ++eventsTaken;
    if (queued.empty()) {
        FakeSync::current()->reset(eventHandle());
    }
    return hr;
}

HRESULT FakeFilterGraph::FreeEventParams(LONG code, LONG_PTR param1, LONG_PTR param2) {
    freed.push_back({code, param1, param2});
    return call("FreeEventParams(" + std::to_string(code) + ")");
}

HRESULT FakeFilterGraph::AddFilter(IBaseFilter* filter, LPCWSTR name) {
    added.emplace_back(filter, name != nullptr ? name : L"");
    return call("AddFilter(" + narrow(name) + ")");
}

HRESULT FakeFilterGraph::EnumFilters(IEnumFilters** out) {
    *out = nullptr;
    const HRESULT hr = call("EnumFilters");
    if (FAILED(hr) || filterEnum == nullptr) {
        return FAILED(hr) ? hr : E_NOTIMPL;
    }
    filterEnum->restart();
    filterEnum->handOut(IID_IEnumFilters, reinterpret_cast<void**>(out));
    return hr;
}

HRESULT FakeFilterGraph::FindFilterByName(LPCWSTR name, IBaseFilter** filter) {
    *filter = nullptr;
    const HRESULT hr = call("FindFilterByName(" + narrow(name) + ")");
    if (FAILED(hr)) {
        return hr;
    }
    for (const auto& [candidate, candidateName] : added) {
        if (candidate != nullptr && name != nullptr && candidateName == name) {
            candidate->AddRef();
            *filter = candidate;
            return hr;
        }
    }
    return VFW_E_NOT_FOUND;
}

HRESULT FakeFilterGraph::GetState(LONG timeout, OAFilterState* state) {
    *state = filterState;
    return call("GetState(" + std::to_string(timeout) + ")");
}

HRESULT FakeFilterGraph::put_Owner(OAHWND owner) {
    return call("put_Owner(" + std::to_string(static_cast<long long>(owner)) + ")");
}

HRESULT FakeFilterGraph::put_WindowStyle(LONG style) {
    char text[40];
    std::snprintf(text, sizeof text, "put_WindowStyle(0x%08lX)", static_cast<unsigned long>(style));
    return call(text);
}

HRESULT FakeFilterGraph::SetWindowPosition(LONG left, LONG top, LONG width, LONG height) {
    return call("SetWindowPosition(" + std::to_string(left) + ", " + std::to_string(top) + ", " +
                std::to_string(width) + ", " + std::to_string(height) + ")");
}

HRESULT FakeFilterGraph::SetWindowForeground(LONG focus) {
    return call("SetWindowForeground(" + std::to_string(focus) + ")");
}

HRESULT FakeFilterGraph::put_Visible(LONG visible) {
    return call("put_Visible(" + std::to_string(visible) + ")");
}

// FakeCaptureGraphBuilder

void* FakeCaptureGraphBuilder::find(REFIID iid) {
    if (iid == IID_IUnknown || iid == IID_ICaptureGraphBuilder2) {
        return static_cast<ICaptureGraphBuilder2*>(this);
    }
    return nullptr;
}

HRESULT FakeCaptureGraphBuilder::SetFiltergraph(IGraphBuilder* graph) {
    filterGraph = graph;
    return call("SetFiltergraph(" + describe(graph) + ")");
}

namespace {

std::string guidOrNull(const GUID* guid) {
    return guid == nullptr ? "null" : guidName(*guid);
}

} // namespace

std::string outputFileArguments(const GUID* type, LPCOLESTR file, IBaseFilter** mux,
                                IFileSinkFilter** sink) {
    return guidOrNull(type) + ", " + narrow(file) + ", " + (mux != nullptr ? "filter*" : "null") +
           ", " + (sink != nullptr ? "sink*" : "null");
}

HRESULT FakeCaptureGraphBuilder::SetOutputFileName(const GUID* type, LPCOLESTR file,
                                                   IBaseFilter** mux, IFileSinkFilter** sink) {
    if (mux != nullptr) {
        *mux = nullptr;
    }
    const HRESULT hr =
        call("SetOutputFileName(" + outputFileArguments(type, file, mux, sink) + ")");
    if (SUCCEEDED(hr) && mux != nullptr && multiplexer != nullptr) {
        multiplexer->handOut(IID_IBaseFilter, reinterpret_cast<void**>(mux));
    }
    return hr;
}

HRESULT FakeCaptureGraphBuilder::RenderStream(const GUID* category, const GUID* type,
                                              IUnknown* source, IBaseFilter* compressor,
                                              IBaseFilter* renderer) {
    return call("RenderStream(" + guidOrNull(category) + ", " + guidOrNull(type) + ", " +
                describe(source) + ", " + describe(compressor) + ", " + describe(renderer) + ")");
}

HRESULT FakeCaptureGraphBuilder::FindInterface(const GUID* category, const GUID* type,
                                               IBaseFilter* filter, REFIID iid, void** out) {
    *out = nullptr;
    const HRESULT hr = call("FindInterface(" + guidOrNull(category) + ", " + guidOrNull(type) +
                            ", " + describe(filter) + ", " + guidName(iid) + ")");
    if (FAILED(hr)) {
        return hr;
    }
    if (filter == nullptr) {
        return E_POINTER;
    }
    std::vector<FakeCom*> candidates = alsoFound;
    candidates.insert(candidates.begin(), found);
    for (FakeCom* candidate : candidates) {
        if (candidate != nullptr && candidate->handOut(iid, out) == S_OK) {
            return hr;
        }
    }
    return E_NOINTERFACE;
}

// FakePropertyBag

void* FakePropertyBag::find(REFIID iid) {
    if (iid == IID_IUnknown || iid == IID_IPropertyBag) {
        return static_cast<IPropertyBag*>(this);
    }
    return nullptr;
}

HRESULT FakePropertyBag::Read(LPCOLESTR property, VARIANT* value, IErrorLog* log) {
    const HRESULT hr = call("Read(" + narrow(property) + (log == nullptr ? ", no log)" : ", log)"));
    if (FAILED(hr)) {
        return hr;
    }
    const bool path = std::wcscmp(property, L"DevicePath") == 0;
    if (!path && std::wcscmp(property, L"FriendlyName") != 0) {
        return E_INVALIDARG;
    }
    if (path && !devicePath) {
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    }
    const VARTYPE type = path ? devicePathType : friendlyType;
    if (type != VT_BSTR) {
        value->vt = type;
        value->lVal = 7;
        return hr;
    }
    value->vt = VT_BSTR;
    value->bstrVal = SysAllocString(path ? devicePath->c_str() : friendlyName.c_str());
    return hr;
}

// FakeMoniker

void* FakeMoniker::find(REFIID iid) {
    if (iid == IID_IUnknown || iid == IID_IPersist || iid == IID_IPersistStream ||
        iid == IID_IMoniker) {
        return static_cast<IMoniker*>(this);
    }
    return nullptr;
}

namespace {

// A bind: journaled as "name.what(IID[, context][, left])", answering the
// configured result; the target is handed out when the result succeeds.
std::string bindCall(const char* what, REFIID iid, IBindCtx* context, IMoniker* left) {
    std::string text = std::string(what) + "(" + guidName(iid);
    if (context != nullptr) {
        text += ", context";
    }
    if (left != nullptr) {
        text += ", left";
    }
    return text + ")";
}

} // namespace

HRESULT FakeMoniker::BindToObject(IBindCtx* context, IMoniker* left, REFIID iid, void** out) {
    *out = nullptr;
    const HRESULT hr = call(bindCall("BindToObject", iid, context, left));
    if (FAILED(hr)) {
        return hr;
    }
    if (object == nullptr) {
        return E_NOINTERFACE;
    }
    const HRESULT handed = object->handOut(iid, out);
    return handed == S_OK ? hr : handed;
}

HRESULT FakeMoniker::BindToStorage(IBindCtx* context, IMoniker* left, REFIID iid, void** out) {
    *out = nullptr;
    const HRESULT hr = call(bindCall("BindToStorage", iid, context, left));
    if (FAILED(hr)) {
        return hr;
    }
    if (storage == nullptr) {
        return E_NOINTERFACE;
    }
    const HRESULT handed = storage->handOut(iid, out);
    return handed == S_OK ? hr : handed;
}

// FakeDevEnum

void* FakeDevEnum::find(REFIID iid) {
    if (iid == IID_IUnknown || iid == IID_ICreateDevEnum) {
        return static_cast<ICreateDevEnum*>(this);
    }
    return nullptr;
}

void FakeDevEnum::setCategory(REFCLSID category, FakeEnumMoniker* enumerator) {
    for (auto& [id, existing] : categories_) {
        if (id == category) {
            existing = enumerator;
            return;
        }
    }
    categories_.emplace_back(category, enumerator);
}

HRESULT FakeDevEnum::CreateClassEnumerator(REFCLSID category, IEnumMoniker** out, DWORD flags) {
    *out = nullptr;
    const HRESULT hr =
        call("CreateClassEnumerator(" + guidName(category) + ", " + std::to_string(flags) + ")");
    for (const auto& [id, enumerator] : categories_) {
        if (id == category && enumerator != nullptr) {
            enumerator->restart();
            enumerator->handOut(IID_IEnumMoniker, reinterpret_cast<void**>(out));
        }
    }
    return hr;
}

// FakeDroppedFrames

void* FakeDroppedFrames::find(REFIID iid) {
    if (iid == IID_IUnknown || iid == IID_IAMDroppedFrames) {
        return static_cast<IAMDroppedFrames*>(this);
    }
    return nullptr;
}

HRESULT FakeDroppedFrames::GetNumDropped(long* count) {
    const HRESULT hr = call("GetNumDropped");
    if (SUCCEEDED(hr)) {
        *count = dropped;
    }
    return hr;
}

// FakeCompressDialogs

void* FakeCompressDialogs::find(REFIID iid) {
    if (iid == IID_IUnknown || iid == IID_IAMVfwCompressDialogs) {
        return static_cast<IAMVfwCompressDialogs*>(this);
    }
    return nullptr;
}

std::string showDialogCall(int dialog, HWND window) {
    return "ShowDialog(" + std::to_string(dialog) + ", " +
           std::to_string(reinterpret_cast<long long>(window)) + ")";
}

HRESULT FakeCompressDialogs::ShowDialog(int dialog, HWND window) {
    return call(showDialogCall(dialog, window));
}

} // namespace fakes
