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
// Longest audio compressor name a slot keeps, in bytes with its NUL: the
// compressor list's conversion buffer.
constexpr int kAudioCodecNameBytes = 256;

// The audio capture of the AVI modes that vcx_SetAudioDevice,
// vcx_SetAudioCodec and vcx_SetAudioFormat store and every later open in
// modes 300 and 301 applies; all zero (the default) records no sound.
struct AudioRequest {
    // The device's position in the audio input device list plus one; 0: none.
    int32_t devicePlusOne;
    // The compressor's entry in the audio compressor list; empty: none.
    char codecName[kAudioCodecNameBytes];
    // The PCM format asked of the device; all 0: the device's own.
    int32_t sampleRate;
    int32_t channels;
    int32_t bitsPerSample;
};

struct CaptureSlot {
    int32_t requestedWidth;
    int32_t requestedHeight;
    double requestedFrameRate;
    AudioRequest audio;
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
    // Whether muxFilter is the Capture Graph Builder's multiplexer (its
    // SetOutputFileName succeeded) rather than the library's own AVI writer.
    bool builderMux;
    // The audio capture device and audio compressor of an AVI mode with sound.
    IBaseFilter* audioSourceFilter;
    IBaseFilter* audioCompressorFilter;
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
    // When the slot last began to run (GetTickCount64) and the frames it had
    // counted then: the start-up allowance of an unlimited frame wait runs
    // from there until a frame arrives.
    ULONGLONG runStartTick;
    int64_t framesAtRun;
    // Kept across close, like the requested format: the depth of the frame
    // queue the next open (or an open slot now) gets, 0 for none; and the
    // start-up allowance in ms when startupAllowanceSet, else the default.
    int32_t frameQueueDepth;
    int32_t startupAllowanceMs;
    bool startupAllowanceSet;
};

struct Library {
    CaptureSlot slots[kSlotCount];
    int32_t activeSlot;
    int32_t comInitialized;
    int32_t grabEnabled;
    // Whether vcx_Init's CoInitialize succeeded, so that vcx_Exit balances
    // only a call that COM counted.
    bool comNeedsUninitialize;
    // Set while a frame wait dispatches the host's window messages: an
    // export a message handler calls then knows it runs inside the wait.
    bool waitInProgress;
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
