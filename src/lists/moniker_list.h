// A name list of one property-bag string of every moniker of a System Device
// Enumerator category: the device and compressor lists (FriendlyName) and the
// device path list (DevicePath), with their size queries.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/com_ptr.h"
#include "lists/name_list.h"

namespace vcx {

// What tells the moniker lists apart.
struct MonikerListKind {
    const CLSID* videoCategory;
    const CLSID* audioCategory;
    // The property read from each moniker's bag.
    const wchar_t* property;
    int nameBytes;
    // Results of the failing steps.
    int32_t noDeviceEnumerator;
    int32_t noCategoryEnumerator;
    int32_t nullBuffer;
};

// The list (into buffer) or its size, for the category audio selects: COM
// started (-1), the category walked, the buffer checked, then one entry per
// moniker, an empty one when the moniker has no property bag or the property
// is not a string.
int32_t listMonikers(const MonikerListKind& kind, int32_t audio, char* buffer, ListOutput output);

// The device lists (FriendlyName of the video or audio input devices) and
// the compressor lists.
extern const MonikerListKind kDeviceListKind;
extern const MonikerListKind kCompressorListKind;

// How a search of a category for a listed name ended.
enum class NameSearch { kFound, kNoDeviceEnumerator, kNoCategoryEnumerator, kNotListed };

// Walks the category audio selects for the first moniker whose entry in
// kind's list is exactly entry (the bytes the list writes for it, without
// CR LF; an empty entry matches nothing) and hands out that moniker in found.
// COM must be started.
NameSearch findListedMoniker(const MonikerListKind& kind, int32_t audio, const char* entry,
                             ComPtr<IMoniker>& found);

} // namespace vcx
