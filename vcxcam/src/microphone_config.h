// The configuration of the virtual microphones, under
// HKEY_CURRENT_USER\Software\vcxcam\Microphones\N: read when the DLL registers
// (names, which microphones exist) and whenever a microphone filter is
// created (everything else). No key, no microphone.
#pragma once

#include "audio_format.h"

#include <windows.h>

#include <string>
#include <vector>

namespace vcxcam {

struct MicrophoneConfig {
    int index = 0; // N of Microphones\N, which picks the class identifier
    std::wstring friendlyName;
    std::vector<AudioFormat> formats;
    // Milliseconds from a run until the first sample frame is captured; at
    // most kMaxMicrophoneDelayMs.
    DWORD startupDelayMs = 0;
    bool refuseFormats = false;  // IAMStreamConfig::SetFormat refuses every type
    bool noStreamConfig = false; // the capture pin offers no IAMStreamConfig
    bool noClock = false;        // the filter offers no IReferenceClock
    // Faults, in sample frames of a run; 0 for none.
    DWORD stallAfter = 0; // deliver nothing past this many
    DWORD loseAfter = 0;  // deliver this many, then report the device lost
};

constexpr DWORD kMaxMicrophoneDelayMs = 10'000;

// The configured microphones in index order; none when nothing is configured.
std::vector<MicrophoneConfig> readMicrophoneConfigs();

// Microphone index's configuration, with defaults for whatever is not set.
MicrophoneConfig readMicrophoneConfig(int index);

// The name a microphone without a usable FriendlyName gets.
std::wstring defaultMicrophoneName(int index);

} // namespace vcxcam
