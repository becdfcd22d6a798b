// A name list of one property-bag string of every moniker of a System Device
// Enumerator category: the device and compressor lists (FriendlyName) and the
// device path list (DevicePath), with their size queries.
#pragma once

#include <windows.h>

#include <cstdint>

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

} // namespace vcx
