#pragma once

#include <cstdint>

#include "core/slots.h"

namespace vcx {

// Finds the first video compressor, in enumeration order, whose friendly name
// equals name code unit by code unit (no case folding, no trimming), binds it
// into compressorFilter and compressDialogs and adds it to the graph under
// name. The results of those three calls are not examined. 0 when one
// matched; -47 no System Device Enumerator; -48 the category gave no
// enumerator with S_OK (an empty one included); -49 no name matched. The
// enumeration objects, property bags and names read are released on every
// path.
int32_t addCompressor(CaptureSlot& slot, const wchar_t* name);

} // namespace vcx
