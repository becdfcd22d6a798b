// What the AVI recording tests leave for check-recordings.sh to read with
// ffprobe and ffmpeg, in the current folder: <name>.avi, <name>.expect
// ("<frames> <width> <height> <fps> [<shortest> <longest> <spacing>]": the
// seconds the recording lasted at least and at most, and between the frames
// the camera sent), <name>.raw, the exact bytes the recorded video must end
// with, and for a recording with sound <name>.audio, the exact bytes of its
// audio, and <name>.sync, the seconds from the video's first frame to the
// audio's first sample.
#pragma once

#include "clock.h"
#include "subtype.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace avirec {

// What the header must state and the file must last.
struct Timing {
    double fps = 30.0; // the rate the header states
    // Seconds the recording lasted at least (from the return of Run to the
    // call of Stop) and at most (from the call of Run to the return of
    // Stop); 0: the duration is not checked.
    double shortest = 0.0;
    double longest = 0.0;
    double spacing = 0.0; // seconds between the frames the camera sent
};

// Runs a recording for about seconds and stops it, timing it: run() and
// stop() make the calls.
template <class Run, class Stop>
Timing timeRecording(double seconds, double spacing, Run run, Stop stop) {
    Timing timing;
    timing.spacing = spacing;
    const double beforeRun = harness::seconds();
    run();
    const double afterRun = harness::seconds();
    Sleep(static_cast<DWORD>(seconds * 1000));
    const double beforeStop = harness::seconds();
    stop();
    const double afterStop = harness::seconds();
    timing.shortest = beforeStop - afterRun;
    timing.longest = afterStop - beforeRun;
    return timing;
}

// Writes name.expect and name.raw: frames firstRaw .. frames-1 of the camera
// at width x height, as it sends them in subtype.
void writeExpectation(const std::string& name, ULONGLONG frames, int width, int height,
                      ULONGLONG firstRaw, vcxcam::Subtype subtype = vcxcam::Subtype::Rgb24,
                      const Timing& timing = Timing{});

// How closely a recording's two streams must keep together.
struct AudioSync {
    double tolerance = 0.001; // seconds the audio's start may differ from the expected
    bool endsTogether = true; // false: one stream outlived the other on purpose
    ULONGLONG skipped = 0;    // frame times the camera passed over
};

// Writes name.audio (the audio bytes) and name.sync (seconds from the
// video's first frame to the audio's first sample, negative when the audio
// starts first, and the checks of sync).
void writeAudioExpectation(const std::string& name, const std::vector<std::uint8_t>& audio,
                           double audioAfterVideo, const AudioSync& sync = AudioSync{});

} // namespace avirec
