// Anomaly tests. Each scenario is a host's sequence of exports. It runs once
// to count the fallible calls it makes on the fake platform, then once per
// call and per fault that call can meet, failing that call only. Every run
// checks, after each step, that the caller's buffers were written only within
// what they were sized for and that the slot is closed with every field null
// or fully open; the step that met the fault must answer what the table of
// documented outcomes says for that call, and a fault the library must
// ignore must change nothing; after the scenario's own clean-up every
// reference is given back, COM is balanced, and the slot opens again.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmreg.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "vcxcap.h"

#include "anomaly_run.h"

using namespace anomaly;

namespace {

// --- Steps and scenarios -------------------------------------------------------

const Step kInit{"init", [](Host&) { return vcx_Init(); }};
const Step kExit{"exit", [](Host&) { return vcx_Exit(); }};
const Step kOpen0{"open 0", [](Host&) { return vcx_Open(0, 0, 0, 0, 0); }};
const Step kOpen1{"open 1", [](Host&) { return vcx_Open(0, 1, 0, 1, 1); }};
const Step kOpen2{"open 2", [](Host&) { return vcx_Open(0, 2, 0, 1, 1); }};
const Step kOpen6{"open 6", [](Host&) { return vcx_Open(0, 6, 0, 0, 0); }};
const Step kOpen6Format{"open 6 format", kOpen6.call};
const Step kOpenAvi{"open avi 300",
                    [](Host&) { return vcx_Open(0, 300, 0, textArgument(L"a.avi"), 0); }};
const Step kOpenAviPreview{"open avi 301",
                           [](Host&) { return vcx_Open(0, 301, 0, textArgument(L"a.avi"), 0); }};
const Step kOpenAviCodec{
    "open avi 300 codec",
    [](Host&) { return vcx_Open(0, 300, 0, textArgument(L"a.avi"), textArgument(L"Codec B")); }};
const Step kOpenAviPreviewCodec{
    "open avi 301 codec",
    [](Host&) { return vcx_Open(0, 301, 0, textArgument(L"a.avi"), textArgument(L"Codec B")); }};
const Step kPlay{"run play", [](Host&) { return vcx_Play(7, 0, 0, 320, 240); }};
const Step kPlay2{"run play2", [](Host&) { return vcx_Play2(); }};
const Step kResize{"resize", [](Host&) { return vcx_ReSize(7, 10, 10, 160, 120); }};
const Step kState{"state", [](Host&) { return vcx_GetState(); }};
const Step kBufferingOff{"buffering", [](Host&) { return vcx_SetCapConfig(0); }};
const Step kBufferingOn{"buffering", [](Host&) { return vcx_SetCapConfig(1); }};
const Step kStop{"stop", [](Host&) { return vcx_Stop(); }};
const Step kClose{"close", [](Host&) { return vcx_Close(); }};
const Step kDevicesSize{"list devices size",
                        [](Host& h) { return h.sized("devices", vcx_GetDeviceListSize(0)); }};
const Step kDevices{"list devices",
                    [](Host& h) { return vcx_GetDeviceList(h.buffer("devices"), 0); }, "devices"};
const Step kCodecsSize{"list codecs size",
                       [](Host& h) { return h.sized("codecs", vcx_GetCodecListSize(0)); }};
const Step kCodecsSizeByType{"list codecs size",
                             [](Host& h) { return h.sized("codecs", vcx_GetBufferSize(3)); }};
const Step kCodecs{"list codecs", [](Host& h) { return vcx_GetCodecList(h.buffer("codecs"), 0); },
                   "codecs"};
const Step kFiltersSize{"list filters size",
                        [](Host& h) { return h.sized("filters", vcx_GetStreamFilterListSize()); }};
const Step kFilters{"list filters",
                    [](Host& h) { return vcx_StreamFilterList(h.buffer("filters")); }, "filters"};
const Step kFiltersAgain{"list filters",
                         [](Host& h) {
                             h.sized("filters2", h.size("filters"));
                             return vcx_GetStreamFilterList(h.buffer("filters2"));
                         },
                         "filters2"};
const Step kSelectSlot1{"select", [](Host&) { return vcx_SetActiveSel(1); }};
const Step kSelectSlot0{"select", [](Host&) { return vcx_SetActiveSel(0); }};
const Step kSlotFacts{
    "facts", [](Host&) { return vcx_GetActiveSel() * 1000 + vcx_GetRef() * 100 + vcx_Version(); }};
const Step kBitsSize{"frame size", [](Host& h) { return h.sized("bits", vcx_GetImageMemSize(0)); }};
const Step kHeaderSize{"frame size",
                       [](Host& h) { return h.sized("header", vcx_GetBufferSize(6)); }};
const Step kGrab{"frame grab", [](Host& h) {
                     return vcx_GetImageMem(h.buffer("bits"), h.number("bits size", h.size("bits")),
                                            h.buffer("header"));
                 }};
const Step kPaint{"frame paint", [](Host&) { return vcx_GetImage(-2, 0, 0, 4, 3); }};
const Step kSave{"frame save", [](Host&) { return vcx_SaveBMP("C:\\snap.bmp"); }};
const Step kRequestFormat{"request", [](Host&) {
                              return vcx_SetDevWidth(320) + vcx_SetDevHeight(240) +
                                     vcx_SetDevFrameRate(15.0);
                          }};
const Step kApplyFormat{"apply format", [](Host&) { return vcx_SetDevCapConfig(); }};
const Step kRatesSize{"formats size",
                      [](Host& h) { return h.sized("rates", vcx_GetBufferSize(7)); }};
const Step kWidthsSize{"formats size",
                       [](Host& h) { return h.sized("widths", vcx_GetDevCapConfigSize(1)); }};
const Step kHeightsSize{"formats size",
                        [](Host& h) { return h.sized("heights", vcx_GetDevCapConfigSize(2)); }};
const Step kFormats{"formats",
                    [](Host& h) {
                        return vcx_GetDevCapConfig(h.buffer("rates"), h.buffer("widths"),
                                                   h.buffer("heights"));
                    },
                    "rates widths heights"};
const Step kCapInfo{"capinfo", [](Host&) { return vcx_GetCapInfo(0); }};
const Step kFilterPages{"pages filter", [](Host&) { return vcx_FilterProp(7, L"Device Filter"); }};
const Step kPinPages{"pages pin", [](Host&) { return vcx_DevPinProp(7); }};
const Step kCodecDialog{"dialog", [](Host&) { return vcx_CodecDialog(7, 2); }};
const Step kOverlay{"overlay", [](Host&) {
                        return vcx_VMRMixImage(-2, 0, 0, 4, 3, 0.5f, 0.0f, 0.0f, 1.0f, 1.0f, 1, 255,
                                               0, 255);
                    }};

// Device controls and paths.
const Step kControlsSize{"controls size",
                         [](Host& h) { return h.sized("controls", vcx_GetDevControlListSize()); }};
const Step kControls{"controls list",
                     [](Host& h) { return vcx_GetDevControlList(h.buffer("controls")); },
                     "controls"};
const Step kControlRange{"control range", [](Host& h) {
                             return vcx_GetDevControlRange(
                                 VCX_CONTROL_EXPOSURE, h.number("minimum", 0),
                                 h.number("maximum", 0), h.number("step", 0),
                                 h.number("default", 0), h.number("capabilities", 0));
                         }};
const Step kControlGet{"control get", [](Host& h) {
                           return vcx_GetDevControl(VCX_CONTROL_GAIN, h.number("value", 0),
                                                    h.number("flags", 0));
                       }};
const Step kControlSet{"control set",
                       [](Host&) { return vcx_SetDevControl(VCX_CONTROL_BRIGHTNESS, 20, 2); }};
const Step kPropertyAuto{"control set",
                         [](Host&) { return vcx_SetDevControl(VCX_CONTROL_EXPOSURE, 0, 1); }};
const Step kPathsSize{"list paths size",
                      [](Host& h) { return h.sized("paths", vcx_GetDevicePathListSize()); }};
const Step kPaths{"list paths", [](Host& h) { return vcx_GetDevicePathList(h.buffer("paths")); },
                  "paths"};

// The capabilities: listed, one chosen on a slot without output and applied
// again by the next open, the format in use read.
const Step kOpenNoOutput{"open 5", [](Host&) { return vcx_Open(0, 5, 0, 0, 0); }};
const Step kOpen6Chosen{"open 6 chosen", kOpen6.call};
const Step kCapabilitiesSize{"capability lines size", [](Host& h) {
                                 return h.sized("capabilities", vcx_GetDevFormatListSize());
                             }};
const Step kCapabilities{"capability lines",
                         [](Host& h) { return vcx_GetDevFormatList(h.buffer("capabilities")); },
                         "capabilities"};
const Step kChooseFormat{"choose format", [](Host&) { return vcx_SetDevFormat(1, 0.0); }};
// The format in use into variables of its own for each time (tag).
int formatInUse(Host& h, const std::string& tag) {
    h.sized("rate " + tag, sizeof(double));
    return vcx_GetDevFormat(h.number("fourcc " + tag, 0), h.number("bits " + tag, 0),
                            h.number("width " + tag, 0), h.number("height " + tag, 0),
                            reinterpret_cast<double*>(h.buffer("rate " + tag)));
}
const Step kFormatInUse{"format in use", [](Host& h) { return formatInUse(h, "chosen"); }};
const Step kFormatInUseAgain{"format in use", [](Host& h) { return formatInUse(h, "reopened"); }};

void cameraWithCapturePin(World& world) {
    world.builder->capturePin = world.cameraPin.get();
    world.cameraPin->connection = videoCapability(320, 240, 666666);
}

void cameraWithControls(World& world) {
    world.cameraMoniker->object = world.controlCamera.get();
    world.cameraBag->devicePath = L"\\\\?\\usb#camera";
}

// The stream events: frames the grabber delivers while the slot runs, the
// graph's events, waits that find a frame, time out or hear of a lost device.
World* streamWorld = nullptr;

void streamEvents(World& world) {
    streamWorld = &world;
    world.graph->post(EC_CLOCK_CHANGED, 0, 0);
}

int deliverFrames(int frames) {
    int delivered = 0;
    for (int i = 0; i < frames; ++i) {
        streamWorld->platform.sync.advanceMs(33);
        delivered += streamWorld->grabber->deliver(streamWorld->sample.get()) == S_OK ? 1 : 0;
    }
    return delivered;
}

const Step kDeliver{"deliver", [](Host&) { return deliverFrames(2); }};
const Step kFrameCount{"sequence count", [](Host&) { return vcx_GetFrameCount(); }};
const Step kFrameTime{"sequence time", [](Host& h) {
                          int* milliseconds = h.number("milliseconds", 0);
                          const int result = vcx_GetFrameTime(milliseconds);
                          return result < 0 ? result : result * 1'000'000 + *milliseconds;
                      }};
const Step kFrameRate{"sequence rate", [](Host&) { return vcx_GetFrameRate(); }};
const Step kDropped{"sequence dropped", [](Host&) { return vcx_GetDroppedFrames(); }};
const Step kWaitTimesOut{"wait", [](Host&) { return vcx_WaitFrame(vcx_GetFrameCount(), 10); }};
const Step kNextFrame{"wait next", [](Host& h) {
                          h.sized("next bits", 48);
                          h.sized("next header", 44);
                          streamWorld->platform.sync.duringWaits = {[] { deliverFrames(1); }};
                          const int result =
                              vcx_GetNextFrame(vcx_GetFrameCount(), 100, h.buffer("next bits"),
                                               h.number("next size", 48), h.buffer("next header"));
                          // The frame arrives whatever the wait did.
                          if (!streamWorld->platform.sync.duringWaits.empty()) {
                              deliverFrames(1);
                              streamWorld->platform.sync.duringWaits.clear();
                          }
                          return result;
                      }};
const Step kEvent{
    "event", [](Host& h) { return vcx_GetEvent(h.number("param1", 0), h.number("param2", 0)); }};
const Step kWaitLost{"wait lost", [](Host&) {
                         streamWorld->graph->post(EC_DEVICE_LOST, 0, 0);
                         return vcx_WaitFrame(vcx_GetFrameCount(), 10);
                     }};

void builderWithoutFileOutput(World& world) {
    world.builder->setResult("SetOutputFileName", E_NOTIMPL);
    world.aviWriter->install(world.platform);
}

// Recording with sound on Windows' AVI Mux: the audio device, compressor
// and format chosen, the device's formats listed, a recording made.
void withSound(World& world) {
    world.devEnum->setCategory(CLSID_AudioInputDeviceCategory, world.audioDevices.get());
    world.devEnum->setCategory(CLSID_AudioCompressorCategory, world.audioCompressors.get());
    world.audioDevices->items.push_back(world.microphone.moniker.get());
    world.audioCompressors->items.push_back(world.audioCodec.moniker.get());
    world.audioConfig->capsSize = sizeof(AUDIO_STREAM_CONFIG_CAPS);
    FakeCapability pcm;
    pcm.formatType = FORMAT_WaveFormatEx;
    pcm.formatSize = sizeof(WAVEFORMATEX);
    const WAVEFORMATEX wave{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
    std::memcpy(&pcm.info, &wave, sizeof wave);
    world.audioConfig->capabilities = {pcm, pcm};
    world.builder->found = world.audioConfig.get();
    world.builder->multiplexer = world.aviMux.get();
}

const Step kSoundDevice{"choose sound device", [](Host&) { return vcx_SetAudioDevice(0); }};
const Step kSoundCodec{"choose sound codec",
                       [](Host&) { return vcx_SetAudioCodec("Speech codec"); }};
const Step kSoundFormat{"choose sound format",
                        [](Host&) { return vcx_SetAudioFormat(48000, 2, 16); }};
const Step kAudioFormatsSize{"audio formats size", [](Host& h) {
                                 return h.sized("audioformats", vcx_GetAudioFormatListSize(0));
                             }};
const Step kAudioFormats{
    "audio formats", [](Host& h) { return vcx_GetAudioFormatList(0, h.buffer("audioformats")); },
    "audioformats"};
const Step kOpenAviSound{"open avi 300 sound",
                         [](Host&) { return vcx_Open(0, 300, 0, textArgument(L"a.avi"), 0); }};

const Step kOpenAviPreviewSound{
    "open avi 301 sound", [](Host&) { return vcx_Open(0, 301, 0, textArgument(L"a.avi"), 0); }};

// Recording with sound where the builder has no file output: the library's
// own writer takes both streams, and no multiplexer is configured.
void ownWriterWithSound(World& world) {
    builderWithoutFileOutput(world);
    withSound(world);
}

const Scenario kScenarios[] = {
    {"video_renderer", {kInit, kOpen0, kPlay, kState, kResize, kStop, kClose, kExit}},
    {"vmr7_overlay", {kInit, kOpen1, kPlay, kOverlay, kStop, kClose, kExit}},
    {"vmr9_overlay", {kInit, kOpen2, kPlay2, kState, kOverlay, kStop, kClose, kExit}},
    {"frames",
     {kInit, kOpen6, kPlay2, kBitsSize, kHeaderSize, kGrab, kPaint, kSave, kStop, kClose, kExit}},
    {"null_renderer", {kInit, kOpen6, kPlay2, kBufferingOff, kBufferingOn, kStop, kClose, kExit}},
    {"avi", {kInit, kOpenAvi, kPlay2, kStop, kClose, kExit}},
    {"avi_preview_closed_running", {kInit, kOpenAviPreview, kPlay, kClose, kExit}},
    {"avi_codec_from_list", {kInit, kCodecsSize, kCodecs, kOpenAviCodec, kPlay2, kClose, kExit}},
    {"avi_preview_codec", {kInit, kOpenAviPreviewCodec, kPlay, kCodecDialog, kStop, kClose, kExit}},
    {"avi_own_writer", {kInit, kOpenAvi, kClose, kExit}, builderWithoutFileOutput},
    {"device_lists", {kInit, kDevicesSize, kDevices, kCodecsSizeByType, kCodecs, kExit}},
    {"filter_list_second_slot",
     {kInit, kSelectSlot1, kOpen6, kSlotFacts, kFiltersSize, kFilters, kFiltersAgain, kClose,
      kSelectSlot0, kExit}},
    {"requested_format",
     {kInit, kRequestFormat, kOpen6Format, kPlay2, kCapInfo, kRatesSize, kWidthsSize, kHeightsSize,
      kFormats, kApplyFormat, kStop, kClose, kExit}},
    {"property_pages", {kInit, kOpen6, kFilterPages, kPinPages, kClose, kExit}},
    {"device_controls",
     {kInit, kPathsSize, kPaths, kOpen6, kPlay2, kControlsSize, kControls, kControlRange,
      kControlGet, kControlSet, kPropertyAuto, kStop, kClose, kExit},
     cameraWithControls},
    {"capabilities",
     {kInit, kOpenNoOutput, kCapabilitiesSize, kCapabilities, kChooseFormat, kFormatInUse, kClose,
      kOpen6Chosen, kFormatInUseAgain, kClose, kExit},
     cameraWithCapturePin},
    {"stream_events",
     {kInit, kOpen6, kPlay2, kDeliver, kFrameCount, kFrameTime, kFrameRate, kDropped, kWaitTimesOut,
      kNextFrame, kEvent, kEvent, kWaitLost, kStop, kClose, kExit},
     streamEvents},
    {"avi_with_sound",
     {kInit, kSoundDevice, kSoundCodec, kSoundFormat, kAudioFormatsSize, kAudioFormats,
      kOpenAviSound, kPlay2, kStop, kClose, kExit},
     withSound},
    {"own_writer_with_sound",
     {kInit, kSoundDevice, kSoundFormat, kOpenAviPreviewSound, kPlay2, kStop, kClose, kExit},
     ownWriterWithSound},
};

// --- Documented outcomes -------------------------------------------------------

// The first row whose step words and call match decides.
const Outcome kOutcomes[] = {
    {"init", "CoInitialize", kPassed},
    // The sound's choices: the audio device counted, the compressor's name
    // looked up as the list writes it.
    {"choose", "CoCreateInstance(SystemDeviceEnum", -3},
    {"choose", "CreateClassEnumerator", kSame},
    {"choose", ".Reset", kSame},
    {"choose", ".Next#1", -5},
    {"choose", ".Next", kSame},
    {"choose codec", "BindToStorage", -5, -5, kSame},
    {"choose codec", ".Read(FriendlyName", -5, -5, kSame},
    {"choose codec", "WideCharToMultiByte", -5},
    {"choose codec", "VariantClear", kSame},
    // The audio device's formats.
    {"audio formats", "CoCreateInstance(SystemDeviceEnum", -3},
    {"audio formats", "CreateClassEnumerator", kSame},
    {"audio formats", ".Reset", kSame},
    {"audio formats", ".Next#1", -5},
    {"audio formats", ".Next", kSame},
    {"audio formats", "BindToObject", -6},
    {"audio formats", "CoCreateInstance(CaptureGraphBuilder2", -7},
    {"audio formats", "FindInterface", -8},
    {"audio formats", "GetNumberOfCapabilities", kShorter, kShorter, kSame},
    {"audio formats", "GetStreamCaps", kSkipped, kSkipped, kSame},
    // Open with sound, after the video's capture stream.
    {"open sound", "CoCreateInstance(SystemDeviceEnum, null, ICreateDevEnum, 1)#2", -60},
    {"open sound", "CreateClassEnumerator(AudioInputDeviceCategory", kSame},
    {"open sound", "audioDevices.Reset", kSame},
    {"open sound", "audioDevices.Next#1", -62},
    {"open sound", "audioDevices.Next", kSame},
    {"open sound", "microphone0.moniker.BindToObject", -63},
    {"open sound", "AddFilter(Audio Capture)", -63},
    {"open sound", "FindInterface", 2, 2, 2},
    {"open sound", "SetFormat", 2, 2, 2},
    {"open sound", "CoCreateInstance(SystemDeviceEnum, null, ICreateDevEnum, 1)#3", -64},
    {"open sound", "CreateClassEnumerator(AudioCompressorCategory", kSame},
    {"open sound", "audioCompressors.Reset", kSame},
    {"open sound", "audioCompressors.Next#1", -66},
    {"open sound", "audioCompressors.Next", kSame},
    {"open sound", "audioCodec0.moniker.BindToStorage", -66, -66, kSame},
    {"open sound", "audioCodec0.bag.Read", -66, -66, kSame},
    {"open sound", "WideCharToMultiByte", -66},
    {"open sound", "VariantClear", kSame},
    {"open sound", "audioCodec0.moniker.BindToObject", -67},
    {"open sound", "AddFilter(Audio Compressor)", -67},
    {"open sound", "MEDIATYPE_Audio", -68},
    {"open sound", "QueryInterface(IConfigAviMux)", -69},
    {"open sound", "SetMasterStream", -69},
    {"open sound", "QueryInterface(IConfigInterleaving)", -70},
    {"open sound", "put_Mode", -70},
    {"open sound", "put_Interleaving", -70},
    {"open sound", "QueryInterface(IReferenceClock)", kSame},
    {"open sound", "QueryInterface(IMediaFilter)", -71},
    {"open sound", "SetSyncSource", -71},
    // Open: the graph, the device, the video window.
    {"open", "CoCreateInstance(FilterGraph", -30},
    {"open", "CoCreateInstance(SampleGrabber", -31},
    {"open", "grabber.QueryInterface(ISampleGrabber)", -32},
    {"open", "grabber.SetMediaType", -33},
    {"open", "graph.AddFilter(Sample Grabber)", -34},
    {"open", "CoCreateInstance(CaptureGraphBuilder2", -35},
    {"open", "builder.SetFiltergraph", -36},
    {"open", "graph.QueryInterface(IMediaControl)", -37},
    {"open", "CoCreateInstance(SystemDeviceEnum, null, ICreateDevEnum, 1)", -38},
    {"open", "CreateClassEnumerator(VideoInputDeviceCategory", kSame},
    {"open", "videoDevices.Reset", kSame},
    {"open", "videoDevices.Next#1", -4},
    {"open", "videoDevices.Next", kSame},
    {"open format", "device0.moniker.BindToObject", -57, -57, kSame},
    {"open chosen", "device0.moniker.BindToObject", -57, -57, kSame},
    {"open", "device0.moniker.BindToObject", kSameHere, kSameHere, kSame},
    {"open", "graph.AddFilter(Device Filter)", kSame},
    {"open", "graph.QueryInterface(IVideoWindow)", -58},
    // Open: the frame counter is attached or not, the slot opens either way.
    {"open", "sync.CreateEventW", kSameHere},
    {"open", "grabber.SetCallback", kSameHere},
    // Open with a requested format: it cannot be applied, or the device
    // refuses it.
    {"open", "FindInterface", -57},
    {"open", "SetFormat", 1, 1, kSame},
    // Open with a chosen capability: one the device cannot describe.
    {"open chosen", "GetNumberOfCapabilities", 1, 1, kSame},
    {"open chosen", "GetStreamCaps", 1, 1, kSame},
    // Open: the outputs.
    {"open 0", "CoCreateInstance(VideoRenderer", -39},
    {"open 0", "AddFilter(Video Renderer)", -79},
    {"open 0", "RenderStream", -76, kSame, kSame},
    {"open 1", "CoCreateInstance(VideoMixingRenderer", -40},
    {"open 1", "QueryInterface(IVMRFilterConfig)", -41},
    {"open 1", "SetRenderingMode", -87},
    {"open 1", "SetNumberOfStreams", -88},
    {"open 1", "AddFilter(VMR7)", -89},
    {"open 1", "RenderStream", -86, kSame, kSame},
    {"open 2", "CoCreateInstance(VideoMixingRenderer9", -42},
    {"open 2", "QueryInterface(IVMRFilterConfig9)", -43},
    {"open 2", "SetRenderingMode", -97},
    {"open 2", "SetNumberOfStreams", -98},
    {"open 2", "AddFilter(VMR9)", -99},
    {"open 2", "RenderStream", -96, kSame, kSame},
    {"open 6", "CoCreateInstance(NullRenderer", -44},
    {"open 6", "AddFilter(Null Renderer)", -59},
    {"open 6", "RenderStream", -56, kSame, kSame},
    {"open codec", "CoCreateInstance(SystemDeviceEnum, null, ICreateDevEnum, 3)", -47},
    {"open codec", "CreateClassEnumerator(VideoCompressorCategory", -48},
    {"open codec", "videoCompressors.Next", -49},
    {"open codec", "codec0.", kSame},
    {"open codec", "codec1.moniker.BindToStorage", -49, -49, kSame},
    {"open codec", "codec1.bag.Read", -49, -49, kSame},
    {"open codec", "codec1.moniker.BindToObject", kSameHere, kSameHere, kSame},
    {"open codec", "AddFilter(Codec B)", kSame},
    {"open codec", "VariantClear", kSame},
    {"open codec", "SetOutputFileName", -50},
    {"open codec", "PIN_CATEGORY_CAPTURE", -51},
    {"open avi", "SetOutputFileName", -45},
    {"open avi", "PIN_CATEGORY_CAPTURE", -46},
    {"open 300", "CoCreateInstance(NullRenderer", -52},
    {"open 300", "AddFilter(Null Renderer)", -53},
    {"open 300", "PIN_CATEGORY_PREVIEW", -54},
    {"open 301", "PIN_CATEGORY_PREVIEW", -55},
    // Stream control: only Run and GetState are reported.
    {"run", "graph.Run", 1},
    {"run", "grabber.SetBufferSamples", kSame},
    {"run play", "graph.", kSame},
    {"resize", "graph.", kSame},
    {"state", "graph.GetState", -2, kSame, kSame},
    {"buffering", "grabber.SetBufferSamples", kSame},
    {"stop", "graph.Stop", kSame},
    {"close", "graph.", kSame},
    {"close", "CloseHandle(event)", kSame},
    // Frames: a copy that fails without one of its five mapped answers gives
    // -12, one that answers another success goes on; a working buffer that
    // cannot be had, a picture not painted, a file not created or not
    // written in full (which is then deleted) give their codes.
    {"frame", "GetConnectedMediaType", -2},
    {"frame", "GetCurrentBuffer", -12, -12, kSame},
    {"frame", "HeapFree", kSame},
    {"frame paint", "HeapAlloc", -10},
    {"frame paint", "SetDIBitsToDevice", -8},
    {"frame save", "HeapAlloc", -11},
    {"frame save", "CreateFileA", -8},
    {"frame save", "WriteFile", -10},
    {"frame save", "CloseHandle", kSame},
    // Stream events: a sample without its time is stamped by its arrival; the
    // dropped frames are the capture pin's to tell; a wait without the
    // graph's events waits on the frames alone, so a loss goes unheard; a
    // graph that hands out an event with S_FALSE loses it.
    {"deliver", "sample.GetTime", kSameHere},
    {"sequence dropped", "FindInterface", -3},
    {"sequence dropped", "GetNumDropped", -4},
    {"wait", "sync.MsgWaitForMultipleObjectsEx", -7},
    {"wait next", "GetConnectedMediaType", -9},
    {"wait next", "sample.GetPointer", -11},
    {"wait next", "sample.GetTime", kSameHere},
    {"wait lost", "QueryInterface(IMediaEventEx)", -3},
    {"wait lost", "GetEventHandle", -3},
    {"wait lost", "graph.GetEvent#1", -3},
    {"wait lost", "graph.GetEvent", kSame},
    {"wait", "QueryInterface(IMediaEventEx)", kSame},
    {"wait", "GetEventHandle", kSame},
    {"wait", "graph.GetEvent", kSame, kSame, kSameHere},
    {"wait", "FreeEventParams", kSame},
    {"event", "QueryInterface(IMediaEventEx)", -3},
    // (the graph's queue is empty by then: any success answers none)
    {"event", "graph.GetEvent", -4, -4, kSame},
    {"event", "FreeEventParams", kSame},
    {"overlay", "QueryInterface(IVMRMixerBitmap", -9},
    {"overlay", "SetRect", kSame},
    {"overlay", "SetAlphaBitmap", -7, kPassed, kPassed},
    // The capture format: reaching the stream configuration counts; a
    // capability that cannot be had is skipped; a refusal ends the apply.
    {"apply format", "SetFormat", 1, 1, kSame},
    {"formats", "GetStreamCaps", kSkipped, kSkipped, kSame},
    {"capinfo", "FindInterface", -4, -4, kSame},
    {"capinfo", "GetNumberOfCapabilities", -2},
    {"capinfo", "GetStreamCaps", 0, 0, kSame},
    // The capabilities: a list with an empty line for a capability the
    // device cannot describe; a choice that fails changes nothing; the format
    // in use comes from the stream configuration when the pin cannot say.
    {"capability", "FindInterface", -4},
    {"capability", "GetNumberOfCapabilities", -5, -5, kSame},
    {"capability", "GetStreamCaps", kShorter, kShorter, kSame},
    {"choose", "FindInterface", -4},
    {"choose", "GetNumberOfCapabilities", -5, -5, kSame},
    {"choose", "GetStreamCaps", -7, -7, kSame},
    {"choose", "SetFormat", -8, -8, kSame},
    {"format in use", "FindPin", -4, -4, kSame},
    {"format in use", "ConnectionMediaType", 2, 2, kSame},
    // ... and in the apply, list and size steps.
    {"", "FindInterface", -4},
    {"", "GetNumberOfCapabilities", kSame},
    {"", "GetStreamCaps", kSame},
    // Property pages and the compressor dialog.
    {"pages", "OleCreatePropertyFrame", kSame},
    {"pages filter", "FindFilterByName", -2, -2, kSame},
    {"pages filter", "QueryInterface(ISpecifyPropertyPages)", -2, -2, kSame},
    {"pages filter", "QueryFilterInfo", -4, -4, kSame},
    {"pages filter", "GetPages", -5, -5, kSame},
    {"pages pin", "EnumPins", -2},
    {"pages pin", "pins.Reset", -3},
    {"pages pin", "pins.Next", -4},
    {"pages pin", "QueryInterface(ISpecifyPropertyPages)", -5, -5, kSame},
    {"pages pin", "GetPages", -7, -7, kSame},
    {"dialog", "ShowDialog", kPassed},
    // Device controls: an interface the device does not hand out, a range or
    // value it does not report, a change it refuses; the list leaves out a
    // property it cannot report in full.
    {"controls", "QueryInterface(IAM", kSkipped},
    {"controls", "GetRange", kSkipped},
    {"controls", ".Get(", kSkipped},
    {"control", "QueryInterface(IAM", -5},
    {"control", "GetRange", -6},
    {"control get", ".Get(", -6},
    {"control set", ".Set(", -9},
    {"list paths", "CoCreateInstance(SystemDeviceEnum", -1},
    {"list", ".Read(DevicePath", kShorter, kShorter, kSame},
    // Lists: a failure part-way keeps what was gathered.
    {"list devices", "CoCreateInstance(SystemDeviceEnum", -1},
    {"list codecs", "CoCreateInstance(SystemDeviceEnum", -2},
    {"list", "CreateClassEnumerator", kSame},
    {"list", ".Reset", kSame},
    {"list", ".Next(1)", kShorter},
    {"list", "BindToStorage", kShorter, kShorter, kSame},
    {"list", ".Read(FriendlyName", kShorter, kShorter, kSame},
    {"list", "WideCharToMultiByte", kShorter},
    {"list", "VariantClear", kSame},
    {"list filters", "graph.EnumFilters", kShorter, kShorter, kSame},
    {"list filters", "QueryFilterInfo", kShorter, kShorter, kSame},
};

class Anomaly : public ::testing::TestWithParam<Scenario> {};

TEST_P(Anomaly, EveryFallibleCallFailsInTurn) {
    const Tally tally = runEveryFault(GetParam(), kOutcomes);
    std::printf("anomaly %s: %zu fallible calls, %d injections\n", GetParam().name, tally.calls,
                tally.injections);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, Anomaly, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
