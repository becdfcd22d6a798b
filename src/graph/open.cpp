// vcx_Open: builds the capture graph of the active slot around the chosen
// video capture device.
#include "graph/open.h"

#include "vcxcap.h"

#include <cstring>

#include "core/device_category.h"
#include "core/directshow.h"
#include "core/platform.h"
#include "core/teardown.h"
#include "frames/frame_sequence.h"
#include "graph/audio_capture.h"
#include "graph/output.h"

namespace vcx {

void fillGrabberMediaType(AM_MEDIA_TYPE& type) {
    std::memset(&type, 0, sizeof type);
    type.majortype = MEDIATYPE_Video;
    type.subtype = MEDIASUBTYPE_RGB24;
    type.formattype = FORMAT_VideoInfo;
}

bool formatRequested(const CaptureSlot& slot) {
    // Written as a negated equality so that NaN counts as requested.
    return slot.requestedWidth != 0 || slot.requestedHeight != 0 ||
           !(slot.requestedFrameRate == 0.0);
}

namespace {

// Filter Graph Manager, Sample Grabber and Capture Graph Builder 2, bound to
// one another. 0 or the failing step's code.
int32_t buildGraphCore(CaptureSlot& slot) {
    const Platform& os = platform();
    if (os.coCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC, IID_IGraphBuilder,
                            reinterpret_cast<void**>(&slot.graph)) != S_OK) {
        return -30;
    }
    if (os.coCreateInstance(kClsidSampleGrabber, nullptr, CLSCTX_INPROC, IID_IBaseFilter,
                            reinterpret_cast<void**>(&slot.grabberFilter)) != S_OK) {
        return -31;
    }
    if (slot.grabberFilter->QueryInterface(IID_ISampleGrabber,
                                           reinterpret_cast<void**>(&slot.grabber)) != S_OK) {
        return -32;
    }
    AM_MEDIA_TYPE type;
    fillGrabberMediaType(type);
    if (slot.grabber->SetMediaType(&type) != S_OK) {
        return -33;
    }
    if (slot.graph->AddFilter(slot.grabberFilter, L"Sample Grabber") != S_OK) {
        return -34;
    }
    if (os.coCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC,
                            IID_ICaptureGraphBuilder2,
                            reinterpret_cast<void**>(&slot.captureBuilder)) != S_OK) {
        return -35;
    }
    if (slot.captureBuilder->SetFiltergraph(slot.graph) != S_OK) {
        return -36;
    }
    if (slot.graph->QueryInterface(IID_IMediaControl,
                                   reinterpret_cast<void**>(&slot.mediaControl)) != S_OK) {
        return -37;
    }
    return 0;
}

// Walks the whole video input category, binding and adding the device at
// deviceIndex. 0 or the failing step's code.
int32_t chooseDevice(CaptureSlot& slot, int32_t deviceIndex) {
    CategoryWalk walk;
    switch (walk.open(CLSID_VideoInputDeviceCategory)) {
    case CategoryOpen::kNoDeviceEnumerator:
        return -38;
    case CategoryOpen::kNoCategoryEnumerator:
        return -3;
    case CategoryOpen::kOpened:
        break;
    }
    int32_t position = 0;
    walk.forEach([&](IMoniker* moniker) {
        if (position == deviceIndex) {
            // Neither result decides: a failed bind (or a null moniker,
            // which counts as one) leaves sourceFilter null, and the graph
            // answers E_POINTER to adding it.
            if (moniker) {
                moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter,
                                      reinterpret_cast<void**>(&slot.sourceFilter));
            }
            slot.graph->AddFilter(slot.sourceFilter, L"Device Filter");
        }
        ++position;
    });
    return deviceIndex < position ? 0 : -4;
}

// Open's steps after the argument check. A negative result is the failing
// step's code; any other is the success value open returns.
int32_t openSlot(CaptureSlot& slot, int32_t deviceIndex, int32_t mode, vcx_intptr fileOrRenderMode,
                 vcx_intptr codecOrStreams) {
    int32_t result = buildGraphCore(slot);
    if (result == 0) {
        result = chooseDevice(slot, deviceIndex);
    }
    if (result < 0) {
        return result;
    }
    // 0, or what applying a requested format reports (1: the device refused
    // one). Nothing is applied when width, height and frame rate are all 0.
    // The audio device's refusal of its format adds kAudioFormatRefused.
    int32_t successValue = 0;
    if (formatRequested(slot)) {
        successValue = vcx_SetDevCapConfig();
        if (successValue < 0) {
            return -57;
        }
    }
    slot.outputMode = mode;
    if (const int32_t failed = buildOutput(slot, mode, fileOrRenderMode, codecOrStreams);
        failed < 0) {
        return failed;
    }
    // The sound of a recording, after its video: the multiplexer's second stream.
    if ((mode == kModeAviFile || mode == kModeAviFileWithPreview) && audioRequested(slot)) {
        const int32_t audio = buildAudioCapture(slot, slot.builderMux);
        if (audio < 0) {
            return audio;
        }
        successValue += audio;
    }
    if (slot.graph->QueryInterface(IID_IVideoWindow, reinterpret_cast<void**>(&slot.videoWindow)) !=
        S_OK) {
        return -58;
    }
    // Whether or not the counter and its queue can be had, the slot opens as
    // it is (vcx_GetFrameQueue tells).
    attachFrameCounter(slot);
    applyFrameQueue(slot);
    return successValue;
}

} // namespace
} // namespace vcx

using namespace vcx;

extern "C" int VCXAPI vcx_Open(int deviceIndex, int mode, int reserved, vcx_intptr fileOrRenderMode,
                               vcx_intptr codecOrStreams) {
    for (const int32_t kind : {kGuardComInitialized, kGuardSlotClosed}) {
        const int32_t guard = checkSlotState(kind);
        if (guard < 0) {
            return guard;
        }
    }
    if (deviceIndex < 0 || reserved < 0) {
        return -6;
    }
    CaptureSlot& slot = activeSlot();
    const int32_t result = openSlot(slot, deviceIndex, mode, fileOrRenderMode, codecOrStreams);
    if (result < 0) {
        releaseSlot();
        return result;
    }
    slot.state = kSlotOpen;
    return result;
}
