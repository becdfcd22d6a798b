// A fake COM enumerator (IEnumMoniker, IEnumPins, IEnumFilters) over items
// the test owns: Next hands out one item at a time, a configured failure at
// a chosen position, S_FALSE past the last item.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "fakes/fake_com.h"

namespace fakes {

// IEnum enumerates Item interfaces. Next and Reset are journaled
// ("Next(1)", "Reset"); a Next whose configured result is not S_OK answers
// it as it is, handing out nothing.
template <class IEnum, class Item> class FakeEnum : public FakeCom, public IEnum {
  public:
    explicit FakeEnum(std::string name) : FakeCom(std::move(name)) {}
    FAKE_IUNKNOWN
    void* find(REFIID iid) override {
        return iid == IID_IUnknown || iid == __uuidof(IEnum) ? static_cast<IEnum*>(this) : nullptr;
    }

    // Not owned; a null entry is handed out as a null item with S_OK.
    std::vector<FakeCom*> items;
    // Next answers this failure instead of the item at failAt; -1: never.
    int failAt = -1;
    HRESULT failure = E_FAIL;

    // Back to the first item, as a new enumerator starts; not journaled.
    void restart() { position_ = 0; }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, Item** out, ULONG* fetched) override {
        const HRESULT answer = call("Next(" + std::to_string(count) + ")");
        if (fetched != nullptr) {
            *fetched = 0;
        }
        *out = nullptr;
        if (answer != S_OK) {
            return answer;
        }
        if (static_cast<int>(position_) == failAt) {
            return failure;
        }
        if (position_ >= items.size()) {
            return S_FALSE;
        }
        if (FakeCom* item = items[position_++]; item != nullptr) {
            item->handOut(__uuidof(Item), reinterpret_cast<void**>(out));
        }
        if (fetched != nullptr) {
            *fetched = 1;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reset() override {
        position_ = 0;
        return call("Reset");
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnum**) override { return E_NOTIMPL; }

  private:
    std::size_t position_ = 0;
};

} // namespace fakes
