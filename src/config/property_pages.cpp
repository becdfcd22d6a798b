// vcx_FilterProp and vcx_DevPinProp: the platform's modal property frame for
// a filter of the active slot's graph, chosen by name, and for the device
// filter's first pin.
#include "vcxcap.h"

#include <ocidl.h>

#include "core/com_ptr.h"
#include "core/directshow.h"
#include "core/platform.h"
#include "core/slots.h"
#include "core/host_handle.h"

namespace vcx {
namespace {

// "デバイスピンのプロパティ" ("device pin properties"), the caption of the pin's frame.
constexpr wchar_t kDevicePinCaption[] = L"\u30c7\u30d0\u30a4\u30b9\u30d4\u30f3\u306e"
                                        L"\u30d7\u30ed\u30d1\u30c6\u30a3";

// Shows the modal frame of one object's pages at 0, 0 and returns when it
// has closed. Its result is not examined: a frame the platform cannot show
// still counts as shown.
void showPropertyFrame(HWND owner, const wchar_t* caption, IUnknown* object, const CAUUID& pages) {
    platform().oleCreatePropertyFrame(owner, 0, 0, caption, 1, &object, pages.cElems, pages.pElems,
                                      0, 0, nullptr);
}

} // namespace
} // namespace vcx

using namespace vcx;

extern "C" int VCXAPI vcx_FilterProp(int owner, const wchar_t* filterName) {
    const int32_t guard = checkSlotState(kGuardSlotOpen);
    if (guard < 0) {
        return guard;
    }
    const CaptureSlot& slot = activeSlot();
    if (slot.graph == nullptr) {
        return -3;
    }
    // No filter carries a null name; Wine's graph would read through it.
    ComPtr<IBaseFilter> filter;
    if (filterName == nullptr || FAILED(slot.graph->FindFilterByName(filterName, filter.put())) ||
        !filter) {
        return -2;
    }
    ComPtr<ISpecifyPropertyPages> specify =
        query<ISpecifyPropertyPages>(filter.get(), QueryRule::kAnySuccess);
    if (!specify) {
        return -2;
    }
    FilterInfo info;
    if (FAILED(info.query(*filter.get()))) {
        return -4;
    }
    CAUUID pages{};
    const HRESULT listed = specify->GetPages(&pages);
    specify.reset();
    if (FAILED(listed)) {
        return -5;
    }
    showPropertyFrame(hostHandle<HWND>(owner), info.achName, filter.get(), pages);
    platform().coTaskMemFree(pages.pElems);
    return 0;
}

extern "C" int VCXAPI vcx_DevPinProp(int owner) {
    const int32_t guard = checkSlotState(kGuardSlotOpen);
    if (guard < 0) {
        return guard;
    }
    const CaptureSlot& slot = activeSlot();
    if (slot.sourceFilter == nullptr) {
        return -6;
    }
    ComPtr<IEnumPins> pins;
    if (slot.sourceFilter->EnumPins(pins.put()) != S_OK || !pins) {
        return -2;
    }
    if (pins->Reset() != S_OK) {
        return -3;
    }
    // The first pin, whatever its direction or category.
    ComPtr<IPin> pin;
    if (pins->Next(1, pin.put(), nullptr) != S_OK || !pin) {
        return -4;
    }
    const ComPtr<ISpecifyPropertyPages> specify =
        query<ISpecifyPropertyPages>(pin.get(), QueryRule::kAnySuccess);
    if (!specify) {
        return -5;
    }
    CAUUID pages{};
    if (FAILED(specify->GetPages(&pages))) {
        return -7;
    }
    showPropertyFrame(hostHandle<HWND>(owner), kDevicePinCaption, pin.get(), pages);
    platform().coTaskMemFree(pages.pElems);
    return 0;
}
