// The output branch of open: what the mode connects the device to.
#pragma once

#include <cstdint>

#include "vcxcap.h"

#include "core/slots.h"

namespace vcx {

enum OutputMode : int32_t {
    kModeVideoRenderer = 0,
    kModeMixingRenderer7 = 1,
    kModeMixingRenderer9 = 2,
    kModeNullRenderer = 6,
    kModeAviFile = 300,
    kModeAviFileWithPreview = 301,
};

// Adds the output filters of mode to the slot's graph and connects the
// device's streams to them. 0 when the branch finished (other modes build
// nothing), else the failing step's code. What the branch stored in slot
// fields is left there for open's failure path; its own objects are released.
// fileOrRenderMode and codecOrStreams are open's two pointer-sized arguments.
int32_t buildOutput(CaptureSlot& slot, int32_t mode, vcx_intptr fileOrRenderMode,
                    vcx_intptr codecOrStreams);

} // namespace vcx
