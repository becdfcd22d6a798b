// The tool's commands. Each returns the process's exit status (0 done) or
// throws CommandError.
#pragma once

#include "device_controls.h"
#include "device_formats.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// The exit status of a recording cut short by Ctrl+C (the file is finished).
inline constexpr int kInterruptedStatus = 130;

// paths: each video device's DevicePath under its name.
int runDevices(bool paths);
int runFormats(int device);
int runInfo(int device);

struct SnapOptions {
    int device = 0;
    std::string output; // UTF-8
    double timeoutSeconds = 5;
    FormatRequest format; // none: the device's own format
};
int runSnap(const SnapOptions& options);

// The sound of a recording, as "--audio-format RATE,CHANNELS,BITS" gives it.
struct AudioFormatRequest {
    int sampleRate = 0;
    int channels = 0;
    int bitsPerSample = 0;
    bool operator==(const AudioFormatRequest&) const = default;
};
// Nothing when text is not three decimal numbers separated by commas.
std::optional<AudioFormatRequest> parseAudioFormat(std::string_view text);

struct RecordOptions {
    int device = 0;
    std::string output; // UTF-8
    int seconds = 0;
    std::optional<std::string> codec;      // UTF-8 friendly name of a video compressor
    std::optional<int> audioDevice;        // index in the audio capture device list
    std::optional<std::string> audioCodec; // UTF-8 friendly name of an audio compressor
    std::optional<AudioFormatRequest> audioFormat;
};
int runRecord(const RecordOptions& options);

// Camera properties: the table of a device's properties, and setting them in
// order (1 when any was refused, each refusal on stderr).
int runControls(int device);
int runSet(int device, const std::vector<ControlAssignment>& assignments);
struct WatchOptions {
    int device = 0;
    int seconds = 0; // 0: until Ctrl+C
};
int runWatch(const WatchOptions& options);

} // namespace cli
