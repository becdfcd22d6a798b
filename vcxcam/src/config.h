// The configuration under HKEY_CURRENT_USER\Software\vcxcam: the cameras,
// read when the DLL registers and whenever a camera filter is created, and the
// test compressors, read when the DLL registers.
#pragma once

#include "capability.h"
#include "control_config.h"

#include <windows.h>

#include <string>
#include <vector>

namespace vcxcam {

struct CameraConfig {
    int index = 0; // N of Cameras\N, which picks the class identifier
    std::wstring friendlyName;
    std::vector<Capability> formats;
    bool previewPin = false;
    bool refuseFormats = false;
    bool noStreamConfig = false;
    // Milliseconds from a run until the first frame is due, as a real
    // camera takes to start; at most kMaxStartupDelayMs.
    DWORD startupDelayMs = 0;
    // The properties behind IAMVideoProcAmp and IAMCameraControl.
    std::vector<ControlSpec> controls;
    // The DevicePath registered with the camera; empty: none.
    std::wstring devicePath;
    // Faults to show (camera_faults.h); 0 for none.
    DWORD stallAfter = 0; // stop delivering after this many frames of a stream
    DWORD loseAfter = 0;  // report the device lost after this many, then deliver none
    DWORD dropEvery = 0;  // drop every this-many-th frame, counted as dropped
    // Deliver frame times 1, N + 1, 2N + 1, ... only: a device slower than
    // its format says, nothing counted as dropped; 0 or 1 for every one.
    DWORD deliverEvery = 0;
    // The types offered carry AvgTimePerFrame 0, as a device that reports no
    // rate does; the camera still streams at the capability's rate.
    bool zeroFrameInterval = false;
};

constexpr DWORD kMaxStartupDelayMs = 10'000;

// The configured cameras in index order; the default camera when the
// configuration has none.
std::vector<CameraConfig> readCameraConfigs();

// Camera index's configuration, with defaults for whatever is not set (all
// defaults when the camera is not configured at all).
CameraConfig readCameraConfig(int index);

// The name a camera without a usable FriendlyName gets.
std::wstring defaultFriendlyName(int index);

// The DevicePath a camera gets when its configuration names none.
std::wstring defaultDevicePath(int index);

// The friendly names of the test compressors, in order: the strings of the
// Compressors value (at most kMaxCompressors of them), or the one default
// compressor when the value is absent or not a REG_MULTI_SZ.
std::vector<std::wstring> readCompressorNames();

} // namespace vcxcam
