// Fake DirectShow objects: the Filter Graph Manager, Sample Grabber, Capture
// Graph Builder 2, System Device Enumerator with its moniker enumerator,
// monikers and property bags, and plain filters. Each journals the calls the
// library makes, answers any configured HRESULT (FakeCom::setResult) and keeps
// an observable reference count. Fakes hold no references to one another, so
// every count a test sees is the library's doing.
#pragma once

#include <windows.h>
#include <dshow.h>
#include <qedit.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fakes/fake_com.h"
#include "fakes/fake_enumerator.h"

namespace fakes {

// A test's own reference to a fake: made with one reference, released at the
// end of the test.
template <class T> class Held {
  public:
    template <class... Args>
    explicit Held(Args&&... args) : ptr_(new T(std::forward<Args>(args)...)) {}
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    ~Held() { ptr_->release(); }
    T* operator->() const { return ptr_; }
    T& operator*() const { return *ptr_; }
    T* get() const { return ptr_; }

  private:
    T* ptr_;
};

// The fake's name for an interface pointer a fake handed out, or "null", or
// "unknown".
std::string describe(const void* iface);

// The arguments of a SetOutputFileName call as journaled: "type, file,
// filter*|null, sink*|null".
std::string outputFileArguments(const GUID* type, LPCOLESTR file, IBaseFilter** mux,
                                IFileSinkFilter** sink);

// A filter with nothing but IBaseFilter.
class FakeFilter : public FakeCom, public IBaseFilter {
  public:
    explicit FakeFilter(std::string name);
    ~FakeFilter() override;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        return query(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return addRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return release(filterReleaseName()); }
    void* find(REFIID iid) override;

    // How releases through IBaseFilter are journaled: "name.Release" unless
    // a filter kind with more interfaces names it.
    virtual const char* filterReleaseName() const { return nullptr; }

    // What EnumPins hands out (not owned); nullptr: nothing, E_NOTIMPL.
    FakeCom* pinEnumerator = nullptr;

    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override;
    HRESULT STDMETHODCALLTYPE Stop() override { return call("Stop"); }
    HRESULT STDMETHODCALLTYPE Pause() override { return call("Pause"); }
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME) override { return call("Run"); }
    HRESULT STDMETHODCALLTYPE GetState(DWORD, FILTER_STATE* state) override;
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** pins) override;
    HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR, IPin**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* info) override;
    HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph*, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR*) override { return E_NOTIMPL; }
};

// A filter with one more interface I on the same object, whose releases
// through I are journaled apart ("vmr9.Release(IVMRMixerBitmap9)"); the
// derived fake implements I's methods. Base is the filter it extends: a
// FakeFilter named by the first argument, or a fake filter that names itself
// and has interfaces of its own.
template <class I, const char* Name, class Base = FakeFilter>
class FakeFilterWith : public Base, public SeparateRelease<I, Name> {
  public:
    FakeFilterWith(std::string name, const IID& iid) : Base(std::move(name)), iid_(iid) {}
    explicit FakeFilterWith(const IID& iid) : iid_(iid) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        return this->query(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return this->addRef(); }
    ULONG releaseVia(const char* via) override { return this->release(via); }
    void* find(REFIID iid) override {
        return iid == iid_ ? static_cast<I*>(this) : Base::find(iid);
    }
    const char* filterReleaseName() const override { return kIBaseFilterName; }

  private:
    IID iid_;
};

// The Sample Grabber: IBaseFilter and ISampleGrabber on one object, whose
// releases are journaled apart ("grabber.Release(IBaseFilter)",
// "grabber.Release(ISampleGrabber)").
class FakeSampleGrabber : public FakeFilter,
                          public SeparateRelease<ISampleGrabber, kISampleGrabberName> {
  public:
    explicit FakeSampleGrabber(std::string name = "grabber") : FakeFilter(std::move(name)) {}
    FAKE_IUNKNOWN_SEPARATE_RELEASE
    void* find(REFIID iid) override;
    const char* filterReleaseName() const override { return kIBaseFilterName; }

    // The bytes of the last media type given to SetMediaType.
    std::vector<unsigned char> mediaTypeBytes;

    // What GetConnectedMediaType writes when it answers a success: a copy of
    // connectedFormat in a fresh block of task memory (none when empty),
    // sampleSize as lSampleSize, and typeUnknown as pUnk with a reference
    // added. formatBlocks counts the blocks handed out.
    std::vector<unsigned char> connectedFormat;
    ULONG sampleSize = 0;
    FakeCom* typeUnknown = nullptr;
    int formatBlocks = 0;

    // What GetCurrentBuffer does when it answers a success: into a non-null
    // buffer it copies as much of currentFrame as *size allows, then sets a
    // non-null *size to reportedSize (-1: currentFrame's length). The
    // arguments of the last call are kept as given.
    std::vector<unsigned char> currentFrame;
    LONG reportedSize = -1;
    LONG* lastSize = nullptr;
    LONG* lastBuffer = nullptr;

    HRESULT STDMETHODCALLTYPE SetOneShot(WINBOOL oneShot) override;
    HRESULT STDMETHODCALLTYPE SetMediaType(const AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE GetConnectedMediaType(AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE SetBufferSamples(WINBOOL buffer) override;
    HRESULT STDMETHODCALLTYPE GetCurrentBuffer(LONG* size, LONG* buffer) override;
    HRESULT STDMETHODCALLTYPE GetCurrentSample(IMediaSample**) override { return E_NOTIMPL; }

    // The callback SetCallback installed ("SetCallback(method)"; a failing
    // result installs none) and its method. Not counted: the library's own
    // reference keeps it, as the test's reference keeps this fake.
    ISampleGrabberCB* callback = nullptr;
    LONG callbackMethod = -1;
    HRESULT STDMETHODCALLTYPE SetCallback(ISampleGrabberCB* callback, LONG method) override;
    // A sample reaching the grabber: handed to the callback's SampleCB, as
    // the streaming thread does; the callback's result, E_UNEXPECTED without
    // a sample callback.
    HRESULT deliver(IMediaSample* sample, double time = 0.0);
};

// A filter enumerator over filters the test owns.
using FakeEnumFilters = FakeEnum<IEnumFilters, IBaseFilter>;

// The Filter Graph Manager: IGraphBuilder, IMediaControl and IVideoWindow on
// one object, whose releases are journaled apart ("graph.Release(IMediaControl)"
// and so on).
class FakeFilterGraph : public FakeCom,
                        public SeparateRelease<IGraphBuilder, kIGraphBuilderName>,
                        public SeparateRelease<IMediaControl, kIMediaControlName>,
                        public SeparateRelease<IVideoWindow, kIVideoWindowName>,
                        public SeparateRelease<IMediaEventEx, kIMediaEventExName>,
                        public SeparateRelease<IMediaFilter, kIMediaFilterName> {
  public:
    explicit FakeFilterGraph(std::string name = "graph") : FakeCom(std::move(name)) {}
    ~FakeFilterGraph() override;
    FAKE_IUNKNOWN_SEPARATE_RELEASE
    void* find(REFIID iid) override;

    // Filters added through AddFilter, with their names, in order.
    std::vector<std::pair<IBaseFilter*, std::wstring>> added;
    // What IMediaControl::GetState writes.
    OAFilterState filterState = State_Stopped;

    // IFilterGraph
    HRESULT STDMETHODCALLTYPE AddFilter(IBaseFilter* filter, LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE RemoveFilter(IBaseFilter*) override { return E_NOTIMPL; }
    // What EnumFilters hands out, restarted as a new enumerator would be (not
    // owned); nullptr: nothing, E_NOTIMPL.
    FakeEnumFilters* filterEnum = nullptr;
    HRESULT STDMETHODCALLTYPE EnumFilters(IEnumFilters** out) override;
    // Looks the name up among the filters added, VFW_E_NOT_FOUND otherwise.
    HRESULT STDMETHODCALLTYPE FindFilterByName(LPCWSTR name, IBaseFilter** filter) override;
    HRESULT STDMETHODCALLTYPE ConnectDirect(IPin*, IPin*, const AM_MEDIA_TYPE*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Reconnect(IPin*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Disconnect(IPin*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetDefaultSyncSource() override { return E_NOTIMPL; }
    // IGraphBuilder
    HRESULT STDMETHODCALLTYPE Connect(IPin*, IPin*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Render(IPin*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RenderFile(LPCWSTR, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddSourceFilter(LPCWSTR, LPCWSTR, IBaseFilter**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetLogFile(DWORD_PTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Abort() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ShouldOperationContinue() override { return E_NOTIMPL; }
    // IDispatch, shared by IMediaControl and IVideoWindow
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }
    // IMediaControl
    HRESULT STDMETHODCALLTYPE Run() override { return call("Run"); }
    HRESULT STDMETHODCALLTYPE Pause() override { return call("Pause"); }
    HRESULT STDMETHODCALLTYPE Stop() override { return call("Stop"); }
    HRESULT STDMETHODCALLTYPE GetState(LONG timeout, OAFilterState* state) override;
    HRESULT STDMETHODCALLTYPE RenderFile(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddSourceFilter(BSTR, IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_FilterCollection(IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_RegFilterCollection(IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE StopWhenReady() override { return E_NOTIMPL; }
    // IMediaFilter (Stop and Pause shared with IMediaControl): SetSyncSource
    // journaled as "SetSyncSource(clock's fake)"; the rest E_NOTIMPL.
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetState(DWORD, FILTER_STATE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock* clock) override;
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock**) override { return E_NOTIMPL; }
    // IVideoWindow: the calls the library makes are journaled with their
    // arguments; the rest answer E_NOTIMPL.
    HRESULT STDMETHODCALLTYPE put_Owner(OAHWND owner) override;
    HRESULT STDMETHODCALLTYPE put_WindowStyle(LONG style) override;
    HRESULT STDMETHODCALLTYPE SetWindowPosition(LONG left, LONG top, LONG width,
                                                LONG height) override;
    HRESULT STDMETHODCALLTYPE SetWindowForeground(LONG focus) override;
    HRESULT STDMETHODCALLTYPE put_Visible(LONG visible) override;
    HRESULT STDMETHODCALLTYPE put_Caption(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Caption(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_WindowStyle(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_WindowStyleEx(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_WindowStyleEx(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_AutoShow(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_AutoShow(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_WindowState(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_WindowState(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_BackgroundPalette(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_BackgroundPalette(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Visible(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Left(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Left(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Width(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Width(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Top(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Top(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Height(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Height(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Owner(OAHWND*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_MessageDrain(OAHWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_MessageDrain(OAHWND*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_BorderColor(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_BorderColor(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_FullScreenMode(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_FullScreenMode(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE NotifyOwnerMessage(OAHWND, LONG, LONG_PTR, LONG_PTR) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetWindowPosition(LONG*, LONG*, LONG*, LONG*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetMinIdealImageSize(LONG*, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMaxIdealImageSize(LONG*, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRestorePosition(LONG*, LONG*, LONG*, LONG*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE HideCursor(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsCursorHidden(LONG*) override { return E_NOTIMPL; }

    // IMediaEventEx: a queue of events that post() fills, with a manual-reset
    // event handle (FakeSync's) that is set while the queue holds one, as on
    // Windows. GetEvent is journaled as "GetEvent(timeout)" and answers
    // E_ABORT on an empty queue; FreeEventParams as "FreeEventParams(code)".
    struct QueuedEvent {
        LONG code;
        LONG_PTR param1;
        LONG_PTR param2;
    };
    void post(LONG code, LONG_PTR param1 = 0, LONG_PTR param2 = 0);
    std::vector<QueuedEvent> queued;
    int eventsTaken = 0;
    std::vector<QueuedEvent> freed;
    HANDLE eventHandle();
    HRESULT STDMETHODCALLTYPE GetEventHandle(OAEVENT* event) override;
    HRESULT STDMETHODCALLTYPE GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2,
                                       LONG timeout) override;
    HRESULT STDMETHODCALLTYPE WaitForCompletion(LONG, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CancelDefaultHandling(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RestoreDefaultHandling(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FreeEventParams(LONG code, LONG_PTR param1, LONG_PTR param2) override;
    HRESULT STDMETHODCALLTYPE SetNotifyWindow(OAHWND, LONG, LONG_PTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetNotifyFlags(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetNotifyFlags(LONG*) override { return E_NOTIMPL; }

  private:
    HANDLE eventHandle_ = nullptr;
};

// Capture Graph Builder 2.
class FakeCaptureGraphBuilder : public FakeCom, public ICaptureGraphBuilder2 {
  public:
    explicit FakeCaptureGraphBuilder(std::string name = "builder") : FakeCom(std::move(name)) {}
    FAKE_IUNKNOWN
    void* find(REFIID iid) override;

    // The graph SetFiltergraph was given (no reference is kept).
    IGraphBuilder* filterGraph = nullptr;

    HRESULT STDMETHODCALLTYPE SetFiltergraph(IGraphBuilder* graph) override;
    HRESULT STDMETHODCALLTYPE GetFiltergraph(IGraphBuilder**) override { return E_NOTIMPL; }
    // What a successful SetOutputFileName hands out as the multiplexer; not
    // owned. Its call is journaled as "SetOutputFileName(type, file,
    // filter*|null, sink*|null)".
    FakeCom* multiplexer = nullptr;
    HRESULT STDMETHODCALLTYPE SetOutputFileName(const GUID* type, LPCOLESTR file, IBaseFilter** mux,
                                                IFileSinkFilter** sink) override;
    // Hands out `found`, queried for the asked interface, or else the first
    // of `alsoFound` that has it (E_NOINTERFACE when none has); E_POINTER for
    // a null filter, as the platform answers.
    FakeCom* found = nullptr;
    std::vector<FakeCom*> alsoFound;
    HRESULT STDMETHODCALLTYPE FindInterface(const GUID* category, const GUID* type,
                                            IBaseFilter* filter, REFIID iid, void** out) override;
    // Journaled as "RenderStream(category, type, source, compressor,
    // renderer)", the filters by their fakes' names, "null" for none.
    HRESULT STDMETHODCALLTYPE RenderStream(const GUID* category, const GUID* type, IUnknown* source,
                                           IBaseFilter* compressor, IBaseFilter* renderer) override;
    HRESULT STDMETHODCALLTYPE ControlStream(const GUID*, const GUID*, IBaseFilter*, REFERENCE_TIME*,
                                            REFERENCE_TIME*, WORD, WORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE AllocCapFile(LPCOLESTR, DWORDLONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyCaptureFile(LPOLESTR, LPOLESTR, int,
                                              IAMCopyCaptureFileProgress*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindPin(IUnknown*, PIN_DIRECTION, const GUID*, const GUID*, WINBOOL,
                                      int, IPin**) override {
        return E_NOTIMPL;
    }
};

// A property bag whose "FriendlyName" (and "DevicePath", when it has one)
// reads as a BSTR.
class FakePropertyBag : public FakeCom, public IPropertyBag {
  public:
    FakePropertyBag(std::string name, std::wstring friendlyName)
        : FakeCom(std::move(name)), friendlyName(std::move(friendlyName)) {}
    FAKE_IUNKNOWN
    void* find(REFIID iid) override;

    std::wstring friendlyName;
    // What Read hands out instead of a string when not VT_BSTR (VT_I4 7,
    // VT_EMPTY, ...).
    VARTYPE friendlyType = VT_BSTR;
    // The DevicePath; without one, Read answers what the platform answers for
    // a missing value.
    std::optional<std::wstring> devicePath;
    VARTYPE devicePathType = VT_BSTR;

    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR property, VARIANT* value, IErrorLog* log) override;
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }
};

// A device moniker: binds to its object (a filter) and to its property bag.
class FakeMoniker : public FakeCom, public IMoniker {
  public:
    explicit FakeMoniker(std::string name) : FakeCom(std::move(name)) {}
    FAKE_IUNKNOWN
    void* find(REFIID iid) override;

    // What BindToObject and BindToStorage hand out; not owned.
    FakeCom* object = nullptr;
    FakeCom* storage = nullptr;

    HRESULT STDMETHODCALLTYPE BindToObject(IBindCtx* context, IMoniker* left, REFIID iid,
                                           void** out) override;
    HRESULT STDMETHODCALLTYPE BindToStorage(IBindCtx* context, IMoniker* left, REFIID iid,
                                            void** out) override;
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsDirty() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Load(IStream*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Save(IStream*, WINBOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reduce(IBindCtx*, DWORD, IMoniker**, IMoniker**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ComposeWith(IMoniker*, WINBOOL, IMoniker**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Enum(WINBOOL, IEnumMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsEqual(IMoniker*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Hash(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsRunning(IBindCtx*, IMoniker*, IMoniker*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetTimeOfLastChange(IBindCtx*, IMoniker*, FILETIME*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Inverse(IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CommonPrefixWith(IMoniker*, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RelativePathTo(IMoniker*, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDisplayName(IBindCtx*, IMoniker*, LPOLESTR*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ParseDisplayName(IBindCtx*, IMoniker*, LPOLESTR, ULONG*,
                                               IMoniker**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE IsSystemMoniker(DWORD*) override { return E_NOTIMPL; }
};

// A moniker enumerator over monikers the test owns.
using FakeEnumMoniker = FakeEnum<IEnumMoniker, IMoniker>;

// The System Device Enumerator: one moniker enumerator per category.
class FakeDevEnum : public FakeCom, public ICreateDevEnum {
  public:
    FakeDevEnum() : FakeCom("devenum") {}
    FAKE_IUNKNOWN
    void* find(REFIID iid) override;

    // Hands out enumerator for category, restarted as a new one would be,
    // whatever the configured result; a category without one (or set to
    // nullptr) gets nothing.
    void setCategory(REFCLSID category, FakeEnumMoniker* enumerator);

    HRESULT STDMETHODCALLTYPE CreateClassEnumerator(REFCLSID category, IEnumMoniker** out,
                                                    DWORD flags) override;

  private:
    std::vector<std::pair<CLSID, FakeEnumMoniker*>> categories_;
};

// A capture pin's IAMDroppedFrames: GetNumDropped journaled and answering
// `dropped`; the rest E_NOTIMPL.
class FakeDroppedFrames : public FakeCom, public IAMDroppedFrames {
  public:
    explicit FakeDroppedFrames(std::string name = "droppedFrames") : FakeCom(std::move(name)) {}
    FAKE_IUNKNOWN
    void* find(REFIID iid) override;

    long dropped = 0;
    HRESULT STDMETHODCALLTYPE GetNumDropped(long* dropped) override;
    HRESULT STDMETHODCALLTYPE GetNumNotDropped(long*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDroppedInfo(long, long*, long*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAverageFrameSize(long*) override { return E_NOTIMPL; }
};

// How ShowDialog is journaled: "ShowDialog(dialog, window)".
std::string showDialogCall(int dialog, HWND window);

// A compressor's dialog interface.
class FakeCompressDialogs : public FakeCom, public IAMVfwCompressDialogs {
  public:
    explicit FakeCompressDialogs(std::string name) : FakeCom(std::move(name)) {}
    FAKE_IUNKNOWN
    void* find(REFIID iid) override;

    HRESULT STDMETHODCALLTYPE ShowDialog(int dialog, HWND window) override;
    HRESULT STDMETHODCALLTYPE GetState(LPVOID, int*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetState(LPVOID, int) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SendDriverMessage(int, LONG, LONG) override { return E_NOTIMPL; }
};

} // namespace fakes
