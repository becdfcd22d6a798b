#include "compressor_filter.h"

#include "filterbase/input_pin.h"
#include "filterbase/output_pin.h"
#include "ids.h"
#include "picture.h"
#include "registry.h"
#include "video_type.h"

#include "core/com_ptr.h"

#include <vfwmsgs.h>

#include <cstring>
#include <new>

namespace vcxcam {

namespace {

bool sameType(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b) {
    return a.majortype == b.majortype && a.subtype == b.subtype && a.formattype == b.formattype &&
           a.cbFormat == b.cbFormat &&
           (a.cbFormat == 0 || std::memcmp(a.pbFormat, b.pbFormat, a.cbFormat) == 0);
}

// Copies what a sample carries besides its bytes.
void copySampleProperties(IMediaSample* from, IMediaSample* to) {
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    const HRESULT timed = from->GetTime(&start, &stop);
    if (timed == S_OK || timed == VFW_S_NO_STOP_TIME) {
        to->SetTime(&start, timed == S_OK ? &stop : nullptr);
    } else {
        to->SetTime(nullptr, nullptr);
    }
    to->SetSyncPoint(from->IsSyncPoint() == S_OK);
    to->SetDiscontinuity(from->IsDiscontinuity() == S_OK);
    to->SetPreroll(from->IsPreroll() == S_OK);
}

} // namespace

class CompressorInputPin final : public filterbase::InputPin {
  public:
    explicit CompressorInputPin(CompressorFilter& filter)
        : InputPin(filter, L"Input"), compressor_(filter) {}

  protected:
    bool acceptsType(const AM_MEDIA_TYPE& type) override { return compressor_.acceptsInput(type); }
    HRESULT receive(IMediaSample* sample) override { return compressor_.passOn(sample); }
    HRESULT endOfStream() override { return compressor_.endOfStream(); }
    HRESULT beginFlush() override { return compressor_.passFlushOn(true); }
    HRESULT endFlush() override { return compressor_.passFlushOn(false); }

  private:
    CompressorFilter& compressor_;
};

class CompressorOutputPin final : public filterbase::OutputPin {
  public:
    CompressorOutputPin(CompressorFilter& filter, const filterbase::InputPin& input)
        : OutputPin(filter, L"Output", GUID_NULL), compressor_(filter), input_(input) {}

  protected:
    // The input's type, once the input is connected.
    HRESULT offeredTypes(std::vector<filterbase::MediaType>& types) override {
        types.clear();
        if (!input_.isConnected()) {
            return S_OK;
        }
        try {
            types.resize(1);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        return types[0].copyFrom(input_.connectionType());
    }
    bool acceptsType(const AM_MEDIA_TYPE& type) override { return compressor_.acceptsOutput(type); }
    long sampleBytes(const AM_MEDIA_TYPE& type) override {
        const std::optional<Capability> format = readVideoType(type);
        return format ? static_cast<long>(frameSize(format->width, format->height)) : 0;
    }

  private:
    CompressorFilter& compressor_;
    const filterbase::InputPin& input_;
};

HRESULT CompressorFilter::create(int index, REFIID iid, void** out) {
    return filterbase::createFilter([index] { return new CompressorFilter(index); }, iid, out);
}

CompressorFilter::CompressorFilter(int index)
    : FilterBase(compressorClsid(index)), input_(std::make_unique<CompressorInputPin>(*this)),
      output_(std::make_unique<CompressorOutputPin>(*this, *input_)) {}

CompressorFilter::~CompressorFilter() {
    Stop();
}

STDMETHODIMP CompressorFilter::QueryInterface(REFIID iid, void** out) {
    return FilterBase::QueryInterface(iid, out);
}

STDMETHODIMP_(ULONG) CompressorFilter::AddRef() {
    return FilterBase::AddRef();
}

STDMETHODIMP_(ULONG) CompressorFilter::Release() {
    return FilterBase::Release();
}

HRESULT CompressorFilter::queryExtraInterface(REFIID iid, void** out) {
    if (iid == IID_IAMVfwCompressDialogs) {
        *out = static_cast<IAMVfwCompressDialogs*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

IPin* CompressorFilter::pinAt(ULONG index) const {
    if (index == 0) {
        return input_.get();
    }
    return index == 1 ? output_.get() : nullptr;
}

bool CompressorFilter::acceptsInput(const AM_MEDIA_TYPE& type) const {
    DWORD imageSize = 0;
    const std::optional<Capability> format = readVideoType(type, &imageSize);
    if (type.formattype != FORMAT_VideoInfo || !format ||
        (imageSize != 0 && imageSize != frameSize(format->width, format->height))) {
        return false;
    }
    // Once the output is connected, only its type goes through unchanged.
    return !output_->isConnected() || sameType(type, output_->connectionType());
}

bool CompressorFilter::acceptsOutput(const AM_MEDIA_TYPE& type) const {
    return input_->isConnected() && sameType(type, input_->connectionType());
}

HRESULT CompressorFilter::activate() {
    const HRESULT hr = output_->commitAllocator();
    if (SUCCEEDED(hr)) {
        InterlockedExchange(&streaming_, 1);
    }
    return hr;
}

void CompressorFilter::deactivate() {
    InterlockedExchange(&streaming_, 0);
    // Decommitting releases a streaming thread waiting for a buffer.
    output_->decommitAllocator();
}

HRESULT CompressorFilter::passOn(IMediaSample* sample) {
    if (InterlockedCompareExchange(&streaming_, 0, 0) == 0) {
        return VFW_E_WRONG_STATE;
    }
    if (!output_->isConnected()) {
        return S_FALSE;
    }
    BYTE* from = nullptr;
    HRESULT hr = sample->GetPointer(&from);
    if (FAILED(hr)) {
        return hr;
    }
    const long length = sample->GetActualDataLength();
    vcx::ComPtr<IMediaSample> copy;
    hr = output_->allocator()->GetBuffer(copy.put(), nullptr, nullptr, 0);
    BYTE* to = nullptr;
    if (SUCCEEDED(hr)) {
        hr = copy->GetPointer(&to);
    }
    if (SUCCEEDED(hr) && copy->GetSize() < length) {
        hr = VFW_E_BUFFER_OVERFLOW;
    }
    if (FAILED(hr)) {
        return hr;
    }
    std::memcpy(to, from, static_cast<std::size_t>(length > 0 ? length : 0));
    copy->SetActualDataLength(length);
    copySampleProperties(sample, copy.get());
    return output_->inputPin()->Receive(copy.get());
}

HRESULT CompressorFilter::endOfStream() {
    return output_->isConnected() ? output_->peer()->EndOfStream() : S_OK;
}

HRESULT CompressorFilter::passFlushOn(bool beginning) {
    if (!output_->isConnected()) {
        return S_OK;
    }
    IPin* downstream = output_->peer();
    return beginning ? downstream->BeginFlush() : downstream->EndFlush();
}

STDMETHODIMP CompressorFilter::ShowDialog(int dialog, HWND parent) {
    switch (dialog) {
    case VfwCompressDialog_QueryConfig:
    case VfwCompressDialog_QueryAbout:
        return S_OK;
    case VfwCompressDialog_Config:
    case VfwCompressDialog_About: {
        // No dialog: the call is recorded for whoever wants to know.
        LSTATUS status = ERROR_SUCCESS;
        const RegKey key = RegKey::create(HKEY_CURRENT_USER, kLastDialogKey, &status);
        if (key) {
            status = key.writeDword(L"Dialog", static_cast<DWORD>(dialog));
        }
        if (status == ERROR_SUCCESS) {
            status = key.writeQword(L"Window",
                                    static_cast<ULONGLONG>(reinterpret_cast<UINT_PTR>(parent)));
        }
        return HRESULT_FROM_WIN32(status);
    }
    default:
        return E_INVALIDARG;
    }
}

STDMETHODIMP CompressorFilter::GetState(LPVOID, int*) {
    return E_NOTIMPL;
}

STDMETHODIMP CompressorFilter::SetState(LPVOID, int) {
    return E_NOTIMPL;
}

STDMETHODIMP CompressorFilter::SendDriverMessage(int, LONG, LONG) {
    return E_NOTIMPL;
}

} // namespace vcxcam
