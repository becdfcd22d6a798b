#include "lists/moniker_list.h"

#include <dshow.h>

#include "core/com_ptr.h"
#include "core/device_category.h"
#include "core/platform.h"
#include "core/slots.h"

#include <cstring>

namespace vcx {
namespace {

// Adds the moniker's string property to the list; an empty entry when the
// moniker has no property bag or the property is not a string.
void addBagString(IMoniker* moniker, const MonikerListKind& kind, NameList& list) {
    ComPtr<IPropertyBag> bag;
    if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.putVoid())) || !bag) {
        list.addName(nullptr, kind.nameBytes);
        return;
    }
    VARIANT text;
    platform().variantInit(&text);
    // Asks the bag for a string; a bag that cannot give one fails or hands
    // out another type.
    text.vt = VT_BSTR;
    text.bstrVal = nullptr;
    const HRESULT read = bag->Read(kind.property, &text, nullptr);
    list.addName(SUCCEEDED(read) && text.vt == VT_BSTR ? text.bstrVal : nullptr, kind.nameBytes);
    platform().variantClear(&text);
}

} // namespace

int32_t listMonikers(const MonikerListKind& kind, char* buffer, ListOutput output) {
    if (checkSlotState(kGuardComInitialized) < 0) {
        return -1;
    }
    CategoryWalk walk;
    switch (walk.open(*kind.category)) {
    case CategoryOpen::kNoDeviceEnumerator:
        return kind.noDeviceEnumerator;
    case CategoryOpen::kNoCategoryEnumerator:
        return kind.noCategoryEnumerator;
    case CategoryOpen::kOpened:
        break;
    }
    if (output == ListOutput::kList && buffer == nullptr) {
        return kind.nullBuffer;
    }
    NameList list = NameList::of(output, buffer);
    walk.forEach([&](IMoniker* moniker) { addBagString(moniker, kind, list); });
    return list.result();
}

} // namespace vcx

namespace vcx {

NameSearch findListedMoniker(const MonikerListKind& kind, const char* entry,
                             ComPtr<IMoniker>& found) {
    CategoryWalk walk;
    switch (walk.open(*kind.category)) {
    case CategoryOpen::kNoDeviceEnumerator:
        return NameSearch::kNoDeviceEnumerator;
    case CategoryOpen::kNoCategoryEnumerator:
        return NameSearch::kNoCategoryEnumerator;
    case CategoryOpen::kOpened:
        break;
    }
    const std::size_t length = std::strlen(entry);
    walk.forEach([&](IMoniker* moniker) {
        if (found || length == 0 || moniker == nullptr) {
            return;
        }
        // The entry as the list writes it: the name, CR LF, NUL.
        char text[kDeviceNameBytes + 3] = {};
        NameList list = NameList::appendingTo(text);
        addBagString(moniker, kind, list);
        if (std::strlen(text) == length + 2 && std::memcmp(text, entry, length) == 0) {
            moniker->AddRef();
            *found.put() = moniker;
        }
    });
    return found ? NameSearch::kFound : NameSearch::kNotListed;
}

} // namespace vcx
