#pragma once

#include <windows.h>
#include <dshow.h>

#include "core/slots.h"

namespace vcx {

// The only type the Sample Grabber accepts: 24-bit RGB video with a
// VIDEOINFOHEADER format, every other byte zero and no format block.
AM_MEDIA_TYPE grabberMediaType();

// Whether open applies the slot's requested format: any of width, height or
// frame rate non-zero. A NaN frame rate counts as non-zero.
bool formatRequested(const CaptureSlot& slot);

} // namespace vcx
