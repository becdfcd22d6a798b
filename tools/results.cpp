#include "results.h"

#include <array>
#include <cstdio>
#include <span>

namespace cli {

namespace {

struct Meaning {
    int code;
    const char* text;
};

struct ExportTable {
    std::string_view exportName;
    std::span<const Meaning> meanings;
};

constexpr Meaning kInit[] = {
    {-1, "vcx_Init already ran without vcx_Exit since"},
};

constexpr Meaning kExit[] = {
    {-1, "the library is not initialised"},
    {-2, "called from a message handler during a frame wait"},
};

constexpr Meaning kOpen[] = {
    {1, "the device refused the requested capture format; the slot opened in the device's own "
        "format"},
    {-1, "the library is not initialised"},
    {-2, "the slot is already open or running"},
    {-6, "the device index or the reserved argument is negative"},
    {-3, "there is no video capture device (no enumerator for the category)"},
    {-4, "the device index is not less than the number of video capture devices"},
    {-30, "the Filter Graph Manager was not created"},
    {-31, "the Sample Grabber was not created"},
    {-32, "the Sample Grabber has no ISampleGrabber"},
    {-33, "the Sample Grabber refused its media type"},
    {-34, "the Sample Grabber was not added to the graph"},
    {-35, "the Capture Graph Builder 2 was not created"},
    {-36, "the Capture Graph Builder 2 refused the graph"},
    {-37, "the graph has no IMediaControl"},
    {-38, "the System Device Enumerator was not created"},
    {-57, "a capture format was requested and could not be applied: no device filter, or its "
          "capture pin has no stream configuration"},
    {-39, "the Video Renderer was not created"},
    {-79, "the Video Renderer was not added to the graph"},
    {-76, "the preview was not connected to the Video Renderer"},
    {-40, "the Video Mixing Renderer 7 was not created"},
    {-41, "the Video Mixing Renderer 7 has no IVMRFilterConfig"},
    {-87, "the Video Mixing Renderer 7 refused the rendering mode"},
    {-88, "the Video Mixing Renderer 7 refused the number of streams"},
    {-89, "the Video Mixing Renderer 7 was not added to the graph"},
    {-86, "the preview was not connected to the Video Mixing Renderer 7"},
    {-42, "the Video Mixing Renderer 9 was not created"},
    {-43, "the Video Mixing Renderer 9 has no IVMRFilterConfig9"},
    {-97, "the Video Mixing Renderer 9 refused the rendering mode"},
    {-98, "the Video Mixing Renderer 9 refused the number of streams"},
    {-99, "the Video Mixing Renderer 9 was not added to the graph"},
    {-96, "the preview was not connected to the Video Mixing Renderer 9"},
    {-44, "the Null Renderer was not created"},
    {-59, "the Null Renderer was not added to the graph"},
    {-56, "the preview was not connected to the Null Renderer"},
    {-45, "no output file was made"},
    {-46, "the capture stream was not connected to the file"},
    {-47, "the System Device Enumerator was not created (compressor search)"},
    {-48, "no video compressor is listed"},
    {-49, "no video compressor has exactly that name (case and spaces count)"},
    {-50, "no output file was made (with the compressor)"},
    {-51, "the capture stream was not connected through the compressor to the file"},
    {-52, "the preview's Null Renderer was not created"},
    {-53, "the preview's Null Renderer was not added to the graph"},
    {-54, "the preview was not connected to its Null Renderer"},
    {-55, "the preview was not connected"},
    {-58, "the graph has no IVideoWindow"},
    {2, "the audio device refused the requested audio format; it records in its own"},
    {3, "the device refused the requested capture format and the audio device the requested "
        "audio format; both record in their own"},
    {-60, "the System Device Enumerator was not created (audio device)"},
    {-61, "there is no audio capture device (no enumerator for the category)"},
    {-62, "the chosen audio device is no longer in the audio capture device list"},
    {-63, "the audio device was not bound or not added to the graph"},
    {-64, "the System Device Enumerator was not created (audio compressor search)"},
    {-65, "no audio compressor is listed"},
    {-66, "no audio compressor has exactly the chosen name any more"},
    {-67, "the audio compressor was not bound or not added to the graph"},
    {-68, "the audio capture stream was not connected to the file"},
    {-69, "the AVI Mux refused the audio stream as its master stream"},
    {-70, "the AVI Mux refused the capture interleaving"},
    {-71, "the graph refused the audio device's clock"},
};

constexpr Meaning kSetAudioDevice[] = {
    {-1, "the library is not initialised"},
    {-2, "the index is below -1"},
    {-3, "the System Device Enumerator was not created"},
    {-4, "there is no audio capture device (no enumerator for the category)"},
    {-5, "the index is not less than the number of audio capture devices"},
};

constexpr Meaning kSetAudioCodec[] = {
    {-1, "the library is not initialised"},
    {-2, "the name is 256 bytes or longer"},
    {-3, "the System Device Enumerator was not created"},
    {-4, "there is no audio compressor (no enumerator for the category)"},
    {-5, "no audio compressor has exactly that name (case and spaces count)"},
};

constexpr Meaning kSetAudioFormat[] = {
    {-1, "the sample rate is outside 1000..384000"},
    {-2, "the number of channels is outside 1..8"},
    {-3, "the bits per sample are not 8, 16, 24 or 32"},
};

constexpr Meaning kAudioFormatList[] = {
    {-1, "the library is not initialised"},
    {-2, "no buffer was passed"},
    {-3, "the System Device Enumerator was not created"},
    {-4, "there is no audio capture device (no enumerator for the category)"},
    {-5, "the device index is negative or not less than the number of audio capture devices"},
    {-6, "the audio device could not be bound"},
    {-7, "the Capture Graph Builder 2 was not created"},
    {-8, "the audio device's capture pin has no stream configuration"},
};

constexpr Meaning kPlay2[] = {
    {1, "the graph did not answer S_OK to Run (it may still be starting)"},
    {-1, "the slot is not open"},
    {-2, "the slot is already running"},
    {-3, "the slot has no Sample Grabber"},
    {-4, "the slot has no graph control"},
};

constexpr Meaning kStop[] = {
    {-1, "the slot is not running"},
    {-2, "the slot has no graph control"},
};

constexpr Meaning kClose[] = {
    {-1, "the slot is not open or running"},
};

constexpr Meaning kGetImageMem[] = {
    {-1, "the slot is not open or running"},
    {-2, "the connected media type is not available"},
    {-3, "frame buffering is off"},
    {-4, "the buffer is smaller than the frame"},
    {-5, "no size was passed"},
    {-6, "the Sample Grabber is not connected"},
    {-7, "no frame has been buffered yet"},
    {-8, "the slot has no Sample Grabber"},
    {-9, "no header buffer was passed"},
    {-12, "the Sample Grabber failed to copy the frame"},
};

constexpr Meaning kSaveBmp[] = {
    {-1, "the slot is not open or running"},
    {-2, "the connected media type is not available"},
    {-3, "frame buffering is off"},
    {-4, "the frame is larger than the connected sample size"},
    {-5, "the Sample Grabber answered E_POINTER"},
    {-6, "the Sample Grabber is not connected"},
    {-7, "no frame has been buffered yet"},
    {-8, "the file could not be created"},
    {-9, "the slot has no Sample Grabber"},
    {-10, "a write failed or fell short; the partial file was deleted"},
    {-11, "no memory for the working copy"},
    {-12, "the Sample Grabber failed to copy the frame"},
};

constexpr Meaning kDeviceList[] = {
    {-1, "the library is not initialised, or the System Device Enumerator was not created"},
    {-2, "there is no device in the category"},
    {-3, "no buffer was passed"},
};

constexpr Meaning kCodecList[] = {
    {-1, "the library is not initialised"},
    {-2, "the System Device Enumerator was not created"},
    {-3, "there is no compressor in the category"},
    {-4, "no buffer was passed"},
};

// vcx_GetDevCapConfig, vcx_GetDevCapConfigSize and vcx_SetDevCapConfig.
constexpr Meaning kCapConfig[] = {
    {1, "the device refused a format"},
    {-1, "the library is not initialised"},
    {-2, "the slot has no capture graph builder (not opened, or closed)"},
    {-3, "the slot has no device filter"},
    {-4, "the device's capture pin has no stream configuration"},
    {-5, "a list buffer is null"},
};

constexpr Meaning kCapInfo[] = {
    {-1, "the slot is not open or running"},
    {-2, "the device's stream configuration did not report its formats"},
    {-3, "the slot has no capture graph builder"},
    {-4, "the device's capture pin has no stream configuration"},
    {-5, "the device's capability structure is not 128 bytes"},
};

// Camera properties and device paths.
constexpr Meaning kDevControl[] = {
    {-1, "the slot is not open or running"},
    {-2, "there is no property of that number"},
    {-3, "a pointer was null; nothing was written"},
    {-4, "the slot has no device filter"},
    {-5, "the device offers no interface for that property (IAMVideoProcAmp or "
         "IAMCameraControl)"},
    {-6, "the device does not support that property"},
};

constexpr Meaning kSetDevControl[] = {
    {-1, "the slot is not open or running"},
    {-2, "there is no property of that number"},
    {-3, "the mode is neither auto nor manual"},
    {-4, "the slot has no device filter"},
    {-5, "the device offers no interface for that property (IAMVideoProcAmp or "
         "IAMCameraControl)"},
    {-6, "the device does not support that property"},
    {-7, "the property cannot be in that mode"},
    {-8, "the value is outside the property's range"},
    {-9, "the device refused the value; it keeps the one it had"},
};

constexpr Meaning kDevControlList[] = {
    {-1, "the slot is not open or running"},
    {-2, "the slot has no device filter"},
    {-3, "no buffer was passed"},
    {-4, "the device offers neither IAMVideoProcAmp nor IAMCameraControl"},
};

constexpr Meaning kDevicePathList[] = {
    {-1, "the library is not initialised, or the System Device Enumerator was not created"},
    {-2, "there is no video capture device"},
    {-3, "no buffer was passed"},
};

constexpr Meaning kWaitFrame[] = {
    {-1, "the slot is not running"},
    {-2, "the slot counts no frames"},
    {-3, "no new frame within the timeout"},
    {-4, "the device has been lost"},
    {-5, "the frame number to wait beyond is negative"},
    {-6, "the timeout is below -1"},
    {-7, "the wait itself failed"},
    {-12, "the graph stopped streaming on its own (an error or the end of the stream)"},
    {-13, "no frame came within the start-up allowance after the run"},
    {-14, "called from a message handler during a wait"},
};

constexpr Meaning kGetEvent[] = {
    {-1, "the slot is not open or running"},
    {-2, "no parameter variables were passed"},
    {-3, "the graph offers no IMediaEventEx"},
    {-4, "the graph failed to hand out its next event"},
};

constexpr Meaning kFrameCount[] = {
    {-1, "the slot is not open or running"},
    {-2, "the slot counts no frames"},
};

constexpr Meaning kDroppedFrames[] = {
    {-1, "the slot is not open or running"},
    {-2, "the slot has no capture graph builder or no device filter"},
    {-3, "the device offers no IAMDroppedFrames on its capture pin"},
    {-4, "the device did not report the number"},
};

constexpr std::array kTables{
    ExportTable{"vcx_Init", kInit},
    ExportTable{"vcx_Exit", kExit},
    ExportTable{"vcx_Open", kOpen},
    ExportTable{"vcx_Play2", kPlay2},
    ExportTable{"vcx_Stop", kStop},
    ExportTable{"vcx_Close", kClose},
    ExportTable{"vcx_GetImageMem", kGetImageMem},
    ExportTable{"vcx_SaveBMP", kSaveBmp},
    ExportTable{"vcx_GetDeviceList", kDeviceList},
    ExportTable{"vcx_GetDeviceListSize", kDeviceList},
    ExportTable{"vcx_GetCodecList", kCodecList},
    ExportTable{"vcx_GetCodecListSize", kCodecList},
    ExportTable{"vcx_SetDevCapConfig", kCapConfig},
    ExportTable{"vcx_GetDevCapConfig", kCapConfig},
    ExportTable{"vcx_GetDevCapConfigSize", kCapConfig},
    ExportTable{"vcx_GetCapInfo", kCapInfo},
    ExportTable{"vcx_GetDevControlRange", kDevControl},
    ExportTable{"vcx_GetDevControl", kDevControl},
    ExportTable{"vcx_SetDevControl", kSetDevControl},
    ExportTable{"vcx_GetDevControlList", kDevControlList},
    ExportTable{"vcx_GetDevControlListSize", kDevControlList},
    ExportTable{"vcx_GetDevicePathList", kDevicePathList},
    ExportTable{"vcx_GetDevicePathListSize", kDevicePathList},
    ExportTable{"vcx_WaitFrame", kWaitFrame},
    ExportTable{"vcx_GetEvent", kGetEvent},
    ExportTable{"vcx_GetFrameCount", kFrameCount},
    ExportTable{"vcx_GetFrameRate", kFrameCount},
    ExportTable{"vcx_GetDroppedFrames", kDroppedFrames},
    ExportTable{"vcx_SetAudioDevice", kSetAudioDevice},
    ExportTable{"vcx_SetAudioCodec", kSetAudioCodec},
    ExportTable{"vcx_SetAudioFormat", kSetAudioFormat},
    ExportTable{"vcx_GetAudioFormatList", kAudioFormatList},
    ExportTable{"vcx_GetAudioFormatListSize", kAudioFormatList},
};

std::string meaningOf(std::string_view exportName, int result) {
    if (exportName == "vcx_Init" && result < -1) {
        char text[64];
        std::snprintf(text, sizeof text, "COM refused to start on this thread (HRESULT 0x%08X)",
                      static_cast<unsigned>(result));
        return text;
    }
    for (const ExportTable& table : kTables) {
        if (table.exportName != exportName) {
            continue;
        }
        for (const Meaning& meaning : table.meanings) {
            if (meaning.code == result) {
                return meaning.text;
            }
        }
    }
    return "a result this tool does not know";
}

} // namespace

std::string describeResult(std::string_view exportName, int result) {
    return std::string(exportName) + " answered " + std::to_string(result) + ": " +
           meaningOf(exportName, result);
}

} // namespace cli
