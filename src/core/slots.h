// The slot table: 32 capture slots, the active slot and the library-wide
// values, plus the state guard that slot-bound exports run first.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <cstdint>

#include "core/directshow.h"
#include "core/pending_events.h"

namespace vcx {

class FrameCounter;

constexpr int kSlotCount = 32;

enum SlotState : int32_t {
    kSlotClosed = 0,
    kSlotOpen = 2,
    kSlotRunning = 3,
};

// One capture slot. Every interface field holds one counted reference while
// non-null; releaseSlot gives them back in a fixed order.
struct CaptureSlot {
    int32_t requestedWidth;
    int32_t requestedHeight;
    double requestedFrameRate;
    int32_t outputMode;
    int32_t state;
    IGraphBuilder* graph;
    ICaptureGraphBuilder2* captureBuilder;
    IMediaControl* mediaControl;
    IVideoWindow* videoWindow;
    IBaseFilter* grabberFilter;
    ISampleGrabber* grabber;
    IBaseFilter* sourceFilter;
    IBaseFilter* rendererFilter;
    IBaseFilter* vmr7Filter;
    IBaseFilter* vmr9Filter;
    IBaseFilter* compressorFilter;
    IAMVfwCompressDialogs* compressDialogs;
    IBaseFilter* muxFilter;
    // Whether vcx_Play or vcx_ReSize placed the video window since the slot
    // was opened: close then hides the window and detaches it from its owner
    // before the release.
    bool windowPlaced;
    // The Sample Grabber's callback that counts the frames, attached once the
    // slot has opened (null when it could not be), and the graph events a
    // frame wait took off the graph for the host. Released after the
    // interface fields.
    FrameCounter* frameCounter;
    PendingEvents events;
    // The capability vcx_SetDevFormat chose, which open applies instead of
    // the requested width, height and frame rate while formatChosen is set:
    // its index and frame rate (0: the capability's own). Kept across close.
    bool formatChosen;
    int32_t chosenFormat;
    double chosenFrameRate;
};

struct Library {
    CaptureSlot slots[kSlotCount];
    int32_t activeSlot;
    int32_t comInitialized;
    int32_t grabEnabled;
    // Whether vcx_Init's CoInitialize succeeded, so that vcx_Exit balances
    // only a call that COM counted.
    bool comNeedsUninitialize;
};

// The one library state, zeroed at load.
Library& library();

// The active slot.
CaptureSlot& activeSlot();

enum GuardKind : int32_t {
    kGuardComInitialized = 0,
    kGuardSlotClosed = 1,
    kGuardSlotRunning = 2,
    kGuardSlotOpen = 3,
};

// 0 when the check of the given kind passes on the active slot, else the
// negative result the export returns unchanged.
int32_t checkSlotState(int32_t kind);

// Zeroes the whole library state, as at load. For test hosts only; the
// interface fields must already have been released.
void resetLibraryForTests();

} // namespace vcx
