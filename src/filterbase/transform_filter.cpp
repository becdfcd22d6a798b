#include "filterbase/transform_filter.h"

#include "filterbase/input_pin.h"
#include "filterbase/output_pin.h"

#include "core/com_ptr.h"

#include <vfwmsgs.h>

#include <new>

namespace filterbase {

namespace {

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

class TransformInputPin final : public InputPin {
  public:
    explicit TransformInputPin(TransformFilter& filter)
        : InputPin(filter, L"Input"), owner_(filter) {}

  protected:
    bool acceptsType(const AM_MEDIA_TYPE& type) override { return owner_.acceptsInput(type); }
    HRESULT receive(IMediaSample* sample) override { return owner_.receive(sample); }
    HRESULT endOfStream() override { return owner_.endOfStream(); }
    HRESULT beginFlush() override { return owner_.passFlushOn(true); }
    HRESULT endFlush() override { return owner_.passFlushOn(false); }

  private:
    TransformFilter& owner_;
};

class TransformOutputPin final : public OutputPin {
  public:
    explicit TransformOutputPin(TransformFilter& filter)
        : OutputPin(filter, L"Output", GUID_NULL), owner_(filter) {}

  protected:
    HRESULT offeredTypes(std::vector<MediaType>& types) override {
        return owner_.offeredOutputTypes(types);
    }
    bool acceptsType(const AM_MEDIA_TYPE& type) override { return owner_.acceptsOutput(type); }
    long sampleBytes(const AM_MEDIA_TYPE& type) override { return owner_.outputSampleBytes(type); }

  private:
    TransformFilter& owner_;
};

TransformFilter::TransformFilter(const CLSID& clsid)
    : FilterBase(clsid), input_(std::make_unique<TransformInputPin>(*this)),
      output_(std::make_unique<TransformOutputPin>(*this)) {}

TransformFilter::~TransformFilter() {
    Stop();
}

IPin* TransformFilter::pinAt(ULONG index) const {
    if (index == 0) {
        return input_.get();
    }
    return index == 1 ? output_.get() : nullptr;
}

bool TransformFilter::acceptsInput(const AM_MEDIA_TYPE& type) const {
    if (!takesInput(type)) {
        return false;
    }
    if (!output_->isConnected()) {
        return true;
    }
    MediaType output;
    return SUCCEEDED(outputTypeFor(type, output)) &&
           sameMediaType(output.get(), output_->connectionType());
}

bool TransformFilter::acceptsOutput(const AM_MEDIA_TYPE& type) const {
    MediaType output;
    return input_->isConnected() && SUCCEEDED(outputTypeFor(input_->connectionType(), output)) &&
           sameMediaType(type, output.get());
}

HRESULT TransformFilter::offeredOutputTypes(std::vector<MediaType>& types) const {
    types.clear();
    if (!input_->isConnected()) {
        return S_OK;
    }
    try {
        types.resize(1);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return outputTypeFor(input_->connectionType(), types[0]);
}

HRESULT TransformFilter::activate() {
    const HRESULT hr = output_->commitAllocator();
    if (SUCCEEDED(hr)) {
        InterlockedExchange(&streaming_, 1);
    }
    return hr;
}

void TransformFilter::deactivate() {
    InterlockedExchange(&streaming_, 0);
    // Decommitting releases a streaming thread waiting for a buffer.
    output_->decommitAllocator();
}

HRESULT TransformFilter::receive(IMediaSample* sample) {
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
    vcx::ComPtr<IMediaSample> made;
    hr = output_->allocator()->GetBuffer(made.put(), nullptr, nullptr, 0);
    BYTE* to = nullptr;
    if (SUCCEEDED(hr)) {
        hr = made->GetPointer(&to);
    }
    long written = 0;
    if (SUCCEEDED(hr)) {
        hr = transform(input_->connectionType(), from, sample->GetActualDataLength(), to,
                       made->GetSize(), written);
    }
    if (FAILED(hr)) {
        return hr;
    }
    if (hr == S_FALSE) {
        return S_OK;
    }
    made->SetActualDataLength(written);
    copySampleProperties(sample, made.get());
    return output_->inputPin()->Receive(made.get());
}

HRESULT TransformFilter::endOfStream() {
    return output_->isConnected() ? output_->peer()->EndOfStream() : S_OK;
}

HRESULT TransformFilter::passFlushOn(bool beginning) {
    if (!output_->isConnected()) {
        return S_OK;
    }
    IPin* downstream = output_->peer();
    return beginning ? downstream->BeginFlush() : downstream->EndFlush();
}

} // namespace filterbase
