#pragma once

#include <windows.h>
#include <dshow.h>

#include "core/slots.h"

namespace vcx {

// Fills type with the only type the Sample Grabber accepts: 24-bit RGB video
// with a VIDEOINFOHEADER format, every other byte zero (padding included) and
// no format block.
void fillGrabberMediaType(AM_MEDIA_TYPE& type);

// Whether open applies the slot's requested format: any of width, height or
// frame rate non-zero. A NaN frame rate counts as non-zero.
bool formatRequested(const CaptureSlot& slot);

} // namespace vcx
