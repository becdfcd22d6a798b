// Recordings with sound through the library's exports: the vcxcam camera and
// microphone recorded by vcx_Open in the AVI modes (on Wine the library's own
// writer: its builder has no file output), left for check-recordings.sh
// (recordings.h) to read with ffprobe and ffmpeg. Each device stops
// delivering at a set point (its stall), and the test stops the recording
// only once both got there, so that what the file must hold does not depend
// on when Stop comes.
#include "camera_support.h"
#include "clock.h"

#include "audio_signal.h"
#include "graph_spy.h"
#include "library.h"
#include "recordings.h"
#include "stream_stats.h"
#include "vcxcap.h"

#include <gtest/gtest.h>

#include <evcode.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using camtest::ComPtr;

const vcxcam::AudioFormat kSound{48000, 2, 16};
constexpr int kDeviceLost = -4;

// The counter signal's first frames, as the microphone sends them.
std::vector<std::uint8_t> counterSamples(ULONGLONG frames) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(frames) * kSound.blockAlign());
    vcxcam::writeCounterSamples(bytes.data(), kSound, 0, static_cast<std::size_t>(frames));
    return bytes;
}

vcxcam::StreamStats statsOf(IBaseFilter* filter) {
    ComPtr<vcxcam::IStreamStats> stats;
    harness::checkHr(filter->QueryInterface(vcxcam::kIidStreamStats, stats.putVoid()),
                     "stream stats");
    vcxcam::StreamStats state{};
    harness::checkHr(stats->GetStreamStats(&state), "GetStreamStats");
    return state;
}

struct Devices {
    harness::CameraConfig camera;
    harness::MicrophoneConfig microphone;
};

class SoundRecordingTest : public camtest::CameraTest {
  protected:
    void TearDown() override {
        camera_.reset();
        microphone_.reset();
        harness::resetLibrary();
        CameraTest::TearDown();
    }

    // Configures the devices, chooses the first microphone (48 kHz stereo
    // 16-bit among its formats) and opens name.avi in mode.
    void open(const Devices& devices, const std::string& name, int mode) {
        harness::configureCameras({devices.camera});
        harness::configureMicrophones({devices.microphone});
        ASSERT_GE(vcx_Init(), 0);
        ASSERT_EQ(vcx_SetAudioDevice(0), 0);
        ASSERT_EQ(vcx_SetAudioFormat(kSound.sampleRate, kSound.channels, kSound.bitsPerSample), 0);
        const std::wstring file = std::wstring(name.begin(), name.end()) + L".avi";
        harness::GraphSpy spy;
        ASSERT_EQ(vcx_Open(0, mode, 0, reinterpret_cast<vcx_intptr>(file.c_str()), 0), 0);
        const ComPtr<IGraphBuilder> graph = spy.takeGraph();
        ASSERT_TRUE(graph);
        ASSERT_EQ(graph->FindFilterByName(L"Device Filter", camera_.put()), S_OK);
        ASSERT_EQ(graph->FindFilterByName(L"Audio Capture", microphone_.put()), S_OK);
    }

    // Waits until the camera delivered frames and the microphone samples, at
    // most a minute; the camera's state then.
    vcxcam::StreamStats waitForDelivery(ULONGLONG frames, ULONGLONG samples) {
        const ULONGLONG deadline = GetTickCount64() + 60'000;
        vcxcam::StreamStats camera = statsOf(camera_.get());
        while ((camera.framesDelivered < frames ||
                statsOf(microphone_.get()).framesDelivered < samples) &&
               GetTickCount64() < deadline) {
            Sleep(20);
            camera = statsOf(camera_.get());
        }
        EXPECT_EQ(camera.framesDelivered, frames);
        EXPECT_EQ(statsOf(microphone_.get()).framesDelivered, samples);
        return camera;
    }

    ComPtr<IBaseFilter> camera_;
    ComPtr<IBaseFilter> microphone_;
};

Devices stallingAt(const wchar_t* format, double fps, DWORD frames) {
    Devices devices;
    devices.camera = harness::CameraConfig{L"Sound camera", {format}};
    devices.camera.stallAfter = frames;
    devices.microphone.friendlyName = L"Sound microphone";
    devices.microphone.formats = {L"44100,2,16", L"48000,2,16"};
    devices.microphone.stallAfter = static_cast<DWORD>(frames / fps * kSound.sampleRate);
    return devices;
}

struct LengthCase {
    const char* name;
    int mode;
    const wchar_t* format;
    int width;
    int height;
    double fps;
    DWORD frames;
    ULONGLONG firstRaw; // the first frame the tail check compares (past 4 GiB: the last ten)
};

class SoundLengthTest : public SoundRecordingTest,
                        public testing::WithParamInterface<LengthCase> {};

// Ten seconds in both AVI modes, and past 4 GiB (700 frames of 1080p, 6.2
// MB each, at 30 fps, which this machine keeps up with; a camera that falls
// behind passes frame times over, which the checks allow for).
INSTANTIATE_TEST_SUITE_P(
    Lengths, SoundLengthTest,
    testing::Values(LengthCase{"sound300", 300, L"160x120@30", 160, 120, 30, 300, 0},
                    LengthCase{"sound301", 301, L"160x120@30", 160, 120, 30, 300, 0},
                    LengthCase{"sound4gib", 300, L"1920x1080@30", 1920, 1080, 30, 700, 690}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(SoundLengthTest, HoldsEverySampleBesideItsFrames) {
    const LengthCase& c = GetParam();
    const Devices devices = stallingAt(c.format, c.fps, c.frames);
    open(devices, c.name, c.mode);
    ASSERT_FALSE(HasFatalFailure());
    const double started = harness::seconds();
    ASSERT_GE(vcx_Play2(), 0);
    const vcxcam::StreamStats camera = waitForDelivery(c.frames, devices.microphone.stallAfter);
    ASSERT_EQ(vcx_Stop(), 0);
    ASSERT_EQ(vcx_Close(), 0);
    std::printf("%s: %lu frames and %lu samples in %.1f s, %llu frame times passed over\n", c.name,
                c.frames, devices.microphone.stallAfter, harness::seconds() - started,
                camera.framesSkipped);
    avirec::Timing timing;
    timing.fps = c.fps;
    avirec::writeExpectation(c.name, c.frames, c.width, c.height, c.firstRaw,
                             vcxcam::Subtype::Rgb24, timing);
    // Both devices start on the graph's run: the first sample lies within a
    // frame interval of the first frame.
    avirec::writeAudioExpectation(c.name, counterSamples(devices.microphone.stallAfter), 0.0,
                                  {1 / c.fps, true, camera.framesSkipped});
}

struct FaultCase {
    const char* name;
    DWORD stallAfter;
    DWORD loseAfter;
};

class MicrophoneFaultTest : public SoundRecordingTest,
                            public testing::WithParamInterface<FaultCase> {};

INSTANTIATE_TEST_SUITE_P(Faults, MicrophoneFaultTest,
                         testing::Values(FaultCase{"micstall", 96'000, 0},
                                         FaultCase{"miclost", 0, 96'000}),
                         [](const auto& info) { return std::string(info.param.name); });

// A microphone that stalls or is lost two seconds in: the video goes on, a
// loss ends the host's wait as a lost camera does and is its event, and the
// file holds the sound up to the failure.
TEST_P(MicrophoneFaultTest, EndsTheSoundAndKeepsTheFile) {
    const FaultCase& fault = GetParam();
    Devices devices = stallingAt(L"160x120@30", 30, 0);
    devices.microphone.stallAfter = fault.stallAfter;
    devices.microphone.loseAfter = fault.loseAfter;
    const DWORD samples = fault.stallAfter + fault.loseAfter;
    open(devices, fault.name, 300);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_GE(vcx_Play2(), 0);
    int newest = 0;
    int result = 0;
    // Frames until the loss ends the wait, or for three seconds past a stall.
    const ULONGLONG deadline = GetTickCount64() + 20'000;
    while ((result = vcx_WaitFrame(newest, 2000)) > 0 && GetTickCount64() < deadline &&
           (fault.loseAfter != 0 || newest < 150)) {
        newest = result;
    }
    EXPECT_EQ(statsOf(microphone_.get()).framesDelivered, samples);
    if (fault.loseAfter != 0) {
        EXPECT_EQ(result, kDeviceLost) << "after frame " << newest;
        bool heard = false;
        int param1 = 0;
        int param2 = 7;
        for (int code; (code = vcx_GetEvent(&param1, &param2)) > 0;) {
            heard = heard || (code == EC_DEVICE_LOST && param2 == 0);
        }
        EXPECT_TRUE(heard);
    } else {
        EXPECT_GT(result, 0) << "the camera goes on";
    }
    ASSERT_EQ(vcx_Stop(), 0);
    const ULONGLONG frames = statsOf(camera_.get()).framesDelivered;
    EXPECT_GE(frames, static_cast<ULONGLONG>(newest));
    ASSERT_EQ(vcx_Close(), 0);
    avirec::writeExpectation(fault.name, frames, 160, 120, 0);
    avirec::writeAudioExpectation(fault.name, counterSamples(samples), 0.0,
                                  {1 / 30.0, false, statsOf(camera_.get()).framesSkipped});
}

} // namespace
