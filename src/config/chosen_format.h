// The capability a host chose with vcx_SetDevFormat: applying one capability
// of the device's capture pin by its index, now and at every later open of
// the slot.
#pragma once

#include <cstdint>

#include "core/slots.h"

namespace vcx {

// Applies the slot's chosen capability to its device, as open does before it
// connects an output: 0 the device took it; 1 it did not (the index is past
// the device's list, the rate outside the capability's range, the capability
// unreadable or refused); -4 the capture pin has no stream configuration.
int32_t applyChosenFormat(const CaptureSlot& slot);

} // namespace vcx
