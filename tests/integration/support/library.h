// Bringing vcxcap's process-wide state back to where it starts, so that each
// test begins with the library uninitialised and every slot closed.
#pragma once

namespace harness {

// Closes every open slot, ends vcx_Init if it ran and selects slot 0. Meant
// for TearDown: it checks nothing, whatever state a failed test left.
void resetLibrary();

// Takes back a format requested with vcx_SetDevWidth, vcx_SetDevHeight and
// vcx_SetDevFrameRate, so that the next open uses the device's own.
void forgetRequestedFormat();

} // namespace harness
