// The sound of the AVI modes: the slot's audio capture device joins the
// graph and its capture stream is rendered into the recording's multiplexer,
// through the slot's audio compressor when one is chosen.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <cstdint>

#include "core/slots.h"

namespace vcx {

// What open adds to its success value when the audio device refused the
// requested audio format (the recording then uses the device's own).
constexpr int32_t kAudioFormatRefused = 2;

// The interleave asked of a builder's AVI Mux: audio and video chunks a
// second apart at most, and no preroll.
constexpr REFERENCE_TIME kMuxInterleave = 10'000'000;
constexpr REFERENCE_TIME kMuxPreroll = 0;

// Whether the slot records sound: an audio device was chosen.
bool audioRequested(const CaptureSlot& slot);

// Adds the audio capture to a slot whose AVI output is built (muxFilter set,
// its video stream rendered first, so that the sound is the multiplexer's
// second stream, index 1). builderMux: the multiplexer is the Capture Graph
// Builder's (Windows' AVI Mux), which is then told to follow the audio
// stream's clock (master stream 1) and to interleave as it captures. In
// order:
//   the device at the chosen position of the audio input category, bound and
//   added as "Audio Capture" (-60 no System Device Enumerator, -61 no audio
//   input category enumerator, -62 the position is past the list now, -63
//   not bound or not added);
//   a requested format through IAMStreamConfig::SetFormat on its capture
//   pin: a device without one, or that refuses, records in its own format
//   and the result is kAudioFormatRefused;
//   the compressor of the chosen name, bound and added as "Audio Compressor"
//   (-64 no System Device Enumerator, -65 no audio compressor category
//   enumerator, -66 no compressor of that name now, -67 not bound or not
//   added);
//   RenderStream(capture, audio, device, compressor or null, multiplexer)
//   (-68 unless S_OK);
//   on a builder's multiplexer: IConfigAviMux::SetMasterStream(1) (-69 no
//   IConfigAviMux or refused), IConfigInterleaving put_Mode(INTERLEAVE_CAPTURE)
//   and put_Interleaving(kMuxInterleave, kMuxPreroll) (-70 no
//   IConfigInterleaving or either refused);
//   the device's IReferenceClock, when it offers one, made the graph's clock
//   through IMediaFilter::SetSyncSource (-71 no IMediaFilter or refused).
// 0 or kAudioFormatRefused on success.
int32_t buildAudioCapture(CaptureSlot& slot, bool builderMux);

} // namespace vcx
