#include "avi/avi_writer.h"

#include "core/com_ptr.h"

#include <vfwmsgs.h>

#include <cwchar>
#include <new>

namespace vcx::avi {

// The writer's one input pin: takes video types the writer can record.
class AviWriterPin final : public filterbase::InputPin {
  public:
    explicit AviWriterPin(AviWriter& writer) : InputPin(writer, L"Input"), writer_(writer) {}

  protected:
    bool acceptsType(const AM_MEDIA_TYPE& type) override {
        try {
            return readVideoStream(type).has_value();
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    HRESULT receive(IMediaSample* sample) override { return writer_.receive(sample); }
    HRESULT endOfStream() override { return writer_.endOfStream(); }

  private:
    AviWriter& writer_;
};

HRESULT AviWriter::create(std::unique_ptr<FileOutput> file, const AviLimits& limits, REFIID iid,
                          void** out) {
    if (!file) {
        if (out != nullptr) {
            *out = nullptr;
        }
        return E_OUTOFMEMORY;
    }
    return filterbase::createFilter(
        [&file, &limits] { return new AviWriter(std::move(file), limits); }, iid, out);
}

AviWriter::AviWriter(std::unique_ptr<FileOutput> file, const AviLimits& limits)
    : FilterBase(kClsidAviWriter), file_(std::move(file)),
      pin_(std::make_unique<AviWriterPin>(*this)), avi_(*file_, limits) {}

AviWriter::~AviWriter() {
    Stop();
    filterbase::Locked lock(controlLock());
    closeFile();
}

STDMETHODIMP AviWriter::QueryInterface(REFIID iid, void** out) {
    return FilterBase::QueryInterface(iid, out);
}

STDMETHODIMP_(ULONG) AviWriter::AddRef() {
    return FilterBase::AddRef();
}

STDMETHODIMP_(ULONG) AviWriter::Release() {
    return FilterBase::Release();
}

HRESULT AviWriter::queryExtraInterface(REFIID iid, void** out) {
    if (iid == IID_IFileSinkFilter) {
        *out = static_cast<IFileSinkFilter*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

IPin* AviWriter::pinAt(ULONG index) const {
    return index == 0 ? pin_.get() : nullptr;
}

void AviWriter::closeFile() {
    if (fileName_.empty()) {
        return;
    }
    file_->close();
    if (createdFile_ && !recorded_) {
        file_->remove(fileName_.c_str());
    }
    fileName_.clear();
}

STDMETHODIMP AviWriter::SetFileName(LPCOLESTR fileName, const AM_MEDIA_TYPE*) {
    if (fileName == nullptr) {
        return E_POINTER;
    }
    if (*fileName == L'\0') {
        return E_INVALIDARG;
    }
    filterbase::Locked lock(controlLock());
    if (state() != State_Stopped) {
        return VFW_E_NOT_STOPPED;
    }
    std::wstring name;
    try {
        name = fileName;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    closeFile();
    bool created = false;
    const HRESULT hr = file_->open(name.c_str(), &created);
    if (FAILED(hr)) {
        return hr;
    }
    fileName_ = std::move(name);
    createdFile_ = created;
    recorded_ = false;
    return S_OK;
}

STDMETHODIMP AviWriter::GetCurFile(LPOLESTR* fileName, AM_MEDIA_TYPE* type) {
    if (fileName == nullptr) {
        return E_POINTER;
    }
    *fileName = nullptr;
    filterbase::Locked lock(controlLock());
    if (fileName_.empty()) {
        return E_FAIL;
    }
    const std::size_t bytes = (fileName_.size() + 1) * sizeof(wchar_t);
    *fileName = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (*fileName == nullptr) {
        return E_OUTOFMEMORY;
    }
    std::wmemcpy(*fileName, fileName_.c_str(), fileName_.size() + 1);
    if (type != nullptr) {
        *type = AM_MEDIA_TYPE{};
        type->majortype = MEDIATYPE_Stream;
        type->subtype = MEDIASUBTYPE_Avi;
        type->bFixedSizeSamples = TRUE;
        type->lSampleSize = 1;
    }
    return S_OK;
}

HRESULT AviWriter::activate() {
    if (!pin_->isConnected()) {
        return S_OK;
    }
    if (fileName_.empty()) {
        return E_UNEXPECTED;
    }
    VideoStream stream;
    try {
        // Accepted when connected, so it reads.
        stream = *readVideoStream(pin_->connectionType());
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    vcx::ComPtr<IMediaEventSink> events;
    if (graph() != nullptr) {
        graph()->QueryInterface(IID_IMediaEventSink, events.putVoid());
    }
    filterbase::Locked lock(streamLock_);
    recorded_ = true;
    events_ = events.get();
    const HRESULT hr = avi_.begin(stream);
    if (FAILED(hr)) {
        // A failed pause can leave a graph that cannot be released on some
        // platforms: the graph hears of the failure as an event instead.
        abandonRecording(hr);
    }
    return S_OK;
}

void AviWriter::deactivate() {
    filterbase::Locked lock(streamLock_);
    avi_.finish();
    events_ = nullptr;
}

void AviWriter::abandonRecording(HRESULT reason) {
    avi_.finish();
    if (events_ != nullptr) {
        events_->Notify(EC_ERRORABORT, reason, 0);
    }
}

HRESULT AviWriter::receive(IMediaSample* sample) {
    filterbase::Locked lock(streamLock_);
    if (!avi_.recording()) {
        return VFW_E_WRONG_STATE;
    }
    BYTE* data = nullptr;
    HRESULT hr = sample->GetPointer(&data);
    if (SUCCEEDED(hr)) {
        const long length = sample->GetActualDataLength();
        hr = avi_.addFrame(data, length > 0 ? static_cast<DWORD>(length) : 0,
                           sample->IsSyncPoint() == S_OK);
    }
    if (FAILED(hr)) {
        abandonRecording(hr);
    }
    return hr;
}

HRESULT AviWriter::endOfStream() {
    filterbase::Locked lock(streamLock_);
    if (events_ != nullptr) {
        events_->Notify(EC_COMPLETE, S_OK,
                        reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this)));
    }
    return S_OK;
}

} // namespace vcx::avi
