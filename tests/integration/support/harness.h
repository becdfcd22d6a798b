// What the integration tests share: the vcxcam camera configuration of the
// test prefix, the video input devices Wine lists, COM set-up and the class
// identifiers the toolchain's headers lack.
//
// Every helper that fails throws harness::Failure with a message naming the
// step and its error code; GoogleTest reports it as a failure of the test (or
// of SetUp / SetUpTestSuite) that called the helper.
#pragma once

#include <windows.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace harness {

class Failure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Throws Failure("<what> failed: hr 0x...") when hr is a failure code.
void checkHr(HRESULT hr, const std::string& what);

// UTF-8 text of a wide string, for messages.
std::string narrow(const std::wstring& text);

// Starts COM on the calling thread (single-threaded apartment, as vcx_Init
// does) for the scope's lifetime. Nests: an inner scope on a thread that has
// COM already is balanced too. Throws when COM refuses.
class ComScope {
  public:
    ComScope();
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope();
};

// Class identifiers the toolchain's DirectShow headers do not declare.
// {C1F400A0-3F08-11d3-9F0B-006008039E37}
inline constexpr CLSID kClsidSampleGrabber = {
    0xC1F400A0, 0x3F08, 0x11d3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};
// {C1F400A4-3F08-11d3-9F0B-006008039E37}
inline constexpr CLSID kClsidNullRenderer = {
    0xC1F400A4, 0x3F08, 0x11d3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};

// One camera of the vcxcam configuration (HKCU\Software\vcxcam\Cameras\N).
struct CameraConfig {
    std::wstring friendlyName;         // empty: not written, the camera's default name applies
    std::vector<std::wstring> formats; // lines like "640x480@30"; empty: not written
    DWORD previewPin = 0;
    DWORD refuseFormats = 0;
    DWORD noStreamConfig = 0;
    DWORD startupDelayMs = 0; // StartupDelay
    // The Controls lines ("Brightness -64 64 1 0 manual"); nothing: not
    // written, the camera's default properties; an empty list: none.
    std::optional<std::vector<std::wstring>> controls = std::nullopt;
    // The DevicePath to register; nothing: not written, the camera's default
    // path; empty: the camera registers none.
    std::optional<std::wstring> devicePath = std::nullopt;
    DWORD stallAfter = 0; // faults: see vcxcam/README.md
    DWORD loseAfter = 0;
    DWORD dropEvery = 0;
    DWORD deliverEvery = 0;      // a camera slower than its format: DeliverEvery
    DWORD zeroFrameInterval = 0; // types without a rate: ZeroFrameInterval
};

// Replaces the vcxcam configuration with the given cameras (Cameras\0 ..
// Cameras\N-1) and registers vcxcam.dll again, so that the video input
// category lists exactly these cameras. An empty list leaves no Cameras
// subkeys: the one default camera.
void configureCameras(const std::vector<CameraConfig>& cameras);

// The default configuration: no saved configuration, one default camera.
void restoreDefaultCameras();

// Unregisters vcxcam.dll and removes its configuration, leaving the video
// input category empty.
void removeCameras();

// Sets the vcxcam test compressors (the Compressors value) to these names,
// or removes the value (nothing: the one default compressor), and registers
// vcxcam.dll again. restoreDefaultCameras() removes the value too.
void configureCompressors(const std::optional<std::vector<std::wstring>>& names);

// One virtual microphone (HKCU\Software\vcxcam\Microphones\N).
struct MicrophoneConfig {
    std::wstring friendlyName;         // empty: not written, the default name applies
    std::vector<std::wstring> formats; // lines like "48000,2,16"; empty: not written
    DWORD startupDelayMs = 0;
    DWORD refuseFormats = 0;
    DWORD noStreamConfig = 0;
    DWORD noClock = 0;
    DWORD stallAfter = 0; // faults, in sample frames: see vcxcam/README.md
    DWORD loseAfter = 0;
};

// Replaces the microphones of the vcxcam configuration with these
// (Microphones\0 .. N-1), keeping the cameras, and registers vcxcam.dll
// again. configureCameras and restoreDefaultCameras remove them all.
void configureMicrophones(const std::vector<MicrophoneConfig>& microphones);

// Calls vcxcam.dll's DllRegisterServer / DllUnregisterServer in this process.
void registerVcxcam();
void unregisterVcxcam();

// One entry of a device category: its FriendlyName and its CLSID value
// (empty when it has none).
struct CategoryEntry {
    std::wstring friendlyName;
    std::wstring clsid;
    bool operator==(const CategoryEntry&) const = default;
};

// Every entry of a category, in the order the System Device Enumerator lists
// them; empty when the category is empty.
std::vector<CategoryEntry> categoryEntries(const GUID& category);

// The FriendlyName of every device of the video input category, in the order
// the System Device Enumerator lists them; empty when the category is empty.
std::vector<std::wstring> videoInputDeviceNames();

// The folder of the running test program, where the build puts the DLLs too,
// with a trailing backslash.
std::wstring programFolder();

// Full path of vcxcam.dll next to the test program.
std::wstring vcxcamPath();

// Runs a command line (for example L"regsvr32 /s /u C:\\x.dll"), waits for it
// and returns its exit code. Throws when it cannot be started.
DWORD runProgram(const std::wstring& commandLine);

// Whether this 32-bit program runs under qemu-user (scripts/wine-i686.sh
// says so in WINE_I686_RUNNER), whose emulation a windowed VMR-9 crashes.
bool runsUnderQemuUser();

// Hex text of a GUID, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
std::wstring guidString(const GUID& guid);

} // namespace harness
