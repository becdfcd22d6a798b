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
    const CLSID* category;
    // The property read from each moniker's bag.
    const wchar_t* property;
    int nameBytes;
    // Results of the failing steps.
    int32_t noDeviceEnumerator;
    int32_t noCategoryEnumerator;
    int32_t nullBuffer;
};

// The list (into buffer) or its size: COM started (-1), the category walked,
// the buffer checked, then one entry per moniker, an empty one when the
// moniker has no property bag or the property is not a string.
int32_t listMonikers(const MonikerListKind& kind, char* buffer, ListOutput output);

// The audio compressor list (FriendlyName of the audio compressor category).
extern const MonikerListKind kAudioCompressors;

// How a search of a category for a listed name ended.
enum class NameSearch { kFound, kNoDeviceEnumerator, kNoCategoryEnumerator, kNotListed };

// Walks kind's category for the first moniker whose entry in kind's list is
// exactly entry (the bytes the list writes for it, without
// CR LF; an empty entry matches nothing) and hands out that moniker in found.
// COM must be started.
NameSearch findListedMoniker(const MonikerListKind& kind, const char* entry,
                             ComPtr<IMoniker>& found);

} // namespace vcx
