// IEnumPins and IEnumMediaTypes over a snapshot taken when the enumerator is
// made. Next accepts a null fetched pointer, as Wine's callers pass one.
#pragma once

#include "filterbase/media_type.h"

#include <windows.h>
#include <strmif.h>

#include <vector>

namespace filterbase {

// Makes a pin enumerator over pins (each gets a reference of its own).
HRESULT createPinEnumerator(const std::vector<IPin*>& pins, IEnumPins** out);

// Makes a media type enumerator over copies of types.
HRESULT createMediaTypeEnumerator(const std::vector<MediaType>& types, IEnumMediaTypes** out);

} // namespace filterbase
