#include "push_source.h"

#include "core/com_ptr.h"
#include "filterbase/sync.h"

#include <vfwmsgs.h>
#include <uuids.h>

#include <cstring>
#include <new>

namespace harness {

class PushSource::Pin final : public filterbase::OutputPin {
  public:
    Pin(FilterBase& filter, filterbase::MediaType type, long sampleBytes)
        : OutputPin(filter, L"Out", PIN_CATEGORY_CAPTURE), type_(std::move(type)),
          sampleBytes_(sampleBytes) {}

  protected:
    HRESULT offeredTypes(std::vector<filterbase::MediaType>& types) override {
        types.resize(1);
        return types[0].copyFrom(type_.get());
    }
    bool acceptsType(const AM_MEDIA_TYPE& type) override {
        return filterbase::sameMediaType(type, type_.get());
    }
    long sampleBytes(const AM_MEDIA_TYPE&) override { return sampleBytes_; }

  private:
    const filterbase::MediaType type_;
    const long sampleBytes_;
};

PushSource* PushSource::create(const AM_MEDIA_TYPE& type, long sampleBytes) {
    filterbase::MediaType copy;
    if (FAILED(copy.copyFrom(type))) {
        return nullptr;
    }
    return new (std::nothrow) PushSource(std::move(copy), sampleBytes);
}

PushSource::PushSource(filterbase::MediaType type, long sampleBytes)
    : FilterBase(GUID_NULL), pin_(std::make_unique<Pin>(*this, std::move(type), sampleBytes)) {}

PushSource::~PushSource() {
    Stop();
}

filterbase::OutputPin& PushSource::pin() {
    return *pin_;
}

IPin* PushSource::pinAt(ULONG index) const {
    return index == 0 ? pin_.get() : nullptr;
}

HRESULT PushSource::activate() {
    return pin_->commitAllocator();
}

void PushSource::deactivate() {
    pin_->decommitAllocator();
}

HRESULT PushSource::send(const void* data, long bytes, std::optional<REFERENCE_TIME> start,
                         REFERENCE_TIME duration) {
    if (!pin_->isConnected()) {
        return VFW_E_NOT_CONNECTED;
    }
    vcx::ComPtr<IMediaSample> sample;
    HRESULT hr = pin_->allocator()->GetBuffer(sample.put(), nullptr, nullptr, 0);
    BYTE* bits = nullptr;
    if (SUCCEEDED(hr)) {
        hr = sample->GetPointer(&bits);
    }
    if (SUCCEEDED(hr) && bytes > sample->GetSize()) {
        hr = VFW_E_BUFFER_OVERFLOW;
    }
    if (FAILED(hr)) {
        return hr;
    }
    if (data != nullptr) {
        std::memcpy(bits, data, static_cast<std::size_t>(bytes));
    }
    sample->SetActualDataLength(bytes);
    sample->SetSyncPoint(TRUE);
    if (start) {
        REFERENCE_TIME begin = *start;
        REFERENCE_TIME end = *start + duration;
        sample->SetTime(&begin, &end);
    }
    return pin_->inputPin()->Receive(sample.get());
}

HRESULT PushSource::endOfStream() {
    return pin_->isConnected() ? pin_->peer()->EndOfStream() : VFW_E_NOT_CONNECTED;
}

} // namespace harness
