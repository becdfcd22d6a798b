#include "filterbase/enumerators.h"

#include "filterbase/single_interface.h"

#include <new>
#include <utility>

namespace filterbase {

namespace {

// Reference count, position, Skip and Reset of an enumerator over a fixed
// list of items.
template <class Interface, class Item>
class SnapshotEnumerator : public SingleInterfaceObject<Interface> {
  public:
    STDMETHODIMP Skip(ULONG count) override {
        if (count > items_.size() - position_) {
            position_ = items_.size();
            return S_FALSE;
        }
        position_ += count;
        return S_OK;
    }
    STDMETHODIMP Reset() override {
        position_ = 0;
        return S_OK;
    }

  protected:
    SnapshotEnumerator() = default;
    ~SnapshotEnumerator() override = default;

    // Hands out up to count items through handOut(item, slot), which
    // returns false when it cannot.
    template <class Slot, class HandOut>
    HRESULT next(ULONG count, Slot* slots, ULONG* fetched, HandOut handOut) {
        if (slots == nullptr) {
            return E_POINTER;
        }
        ULONG done = 0;
        HRESULT hr = S_OK;
        while (done < count && position_ < items_.size()) {
            if (!handOut(items_[position_], slots[done])) {
                hr = E_OUTOFMEMORY;
                break;
            }
            ++position_;
            ++done;
        }
        if (fetched != nullptr) {
            *fetched = done;
        }
        if (FAILED(hr)) {
            return hr;
        }
        return done == count ? S_OK : S_FALSE;
    }

    std::vector<Item> items_;
    std::size_t position_ = 0;
};

class PinEnumerator final : public SnapshotEnumerator<IEnumPins, IPin*> {
  public:
    explicit PinEnumerator(const std::vector<IPin*>& pins) {
        items_ = pins;
        for (IPin* pin : items_) {
            pin->AddRef();
        }
    }

    STDMETHODIMP Next(ULONG count, IPin** pins, ULONG* fetched) override {
        return next(count, pins, fetched, [](IPin* pin, IPin*& slot) {
            pin->AddRef();
            slot = pin;
            return true;
        });
    }

    STDMETHODIMP Clone(IEnumPins** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        const HRESULT hr = createPinEnumerator(items_, out);
        if (SUCCEEDED(hr)) {
            static_cast<PinEnumerator*>(*out)->position_ = position_;
        }
        return hr;
    }

  private:
    ~PinEnumerator() override {
        for (IPin* pin : items_) {
            pin->Release();
        }
    }
};

class MediaTypeEnumerator final : public SnapshotEnumerator<IEnumMediaTypes, MediaType> {
  public:
    // Takes copies of types; check valid() afterwards.
    explicit MediaTypeEnumerator(const std::vector<MediaType>& types) {
        items_.resize(types.size());
        for (std::size_t i = 0; i < types.size(); ++i) {
            if (FAILED(items_[i].copyFrom(types[i].get()))) {
                valid_ = false;
            }
        }
    }

    bool valid() const { return valid_; }

    STDMETHODIMP Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) override {
        return next(count, types, fetched, [](const MediaType& type, AM_MEDIA_TYPE*& slot) {
            slot = createMediaTypeCopy(type.get());
            return slot != nullptr;
        });
    }

    STDMETHODIMP Clone(IEnumMediaTypes** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        const HRESULT hr = createMediaTypeEnumerator(items_, out);
        if (SUCCEEDED(hr)) {
            static_cast<MediaTypeEnumerator*>(*out)->position_ = position_;
        }
        return hr;
    }

  private:
    ~MediaTypeEnumerator() override = default;
    bool valid_ = true;
};

} // namespace

HRESULT createPinEnumerator(const std::vector<IPin*>& pins, IEnumPins** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    try {
        *out = new PinEnumerator(pins);
        return S_OK;
    } catch (const std::bad_alloc&) {
        *out = nullptr;
        return E_OUTOFMEMORY;
    }
}

HRESULT createMediaTypeEnumerator(const std::vector<MediaType>& types, IEnumMediaTypes** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    MediaTypeEnumerator* enumerator = nullptr;
    try {
        enumerator = new MediaTypeEnumerator(types);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (!enumerator->valid()) {
        enumerator->Release();
        return E_OUTOFMEMORY;
    }
    *out = enumerator;
    return S_OK;
}

} // namespace filterbase
