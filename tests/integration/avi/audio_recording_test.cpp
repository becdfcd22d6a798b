// Recordings with sound: the library's AVI writer fed a video and an audio
// stream, straight into its two pins, or through the graph after Capture
// Graph Builder 2 rendered both sources into it (on Wine it puts a Smart Tee
// in front of each and connects the first unconnected input pin). Left for
// check-recordings.sh (recordings.h): the audio bytes must come out exactly
// as fed, each stream must start where its time stamps say, and both must
// end together.
#include "avi/avi_output.h"

#include "camera_support.h"
#include "filterbase/media_type.h"
#include "picture.h"
#include "push_source.h"
#include "recordings.h"

#include <gtest/gtest.h>

#include <mmreg.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using camtest::ComPtr;

constexpr int kWidth = 160;
constexpr int kHeight = 120;
constexpr REFERENCE_TIME kFrame = 333'333;
// 48 kHz stereo 16-bit: 4-byte blocks, sent in samples of 10 ms.
constexpr DWORD kSampleRate = 48'000;
constexpr DWORD kBlock = 4;
constexpr DWORD kChunkBlocks = 480;
constexpr int kFrames = 60;

struct SoundCase {
    const char* name;
    // 0: fed straight to the pins; 1: rendered video first, 2: audio first,
    // through the running graph.
    int rendered;
    REFERENCE_TIME videoStart;
    REFERENCE_TIME audioStart;
};

class SoundRecordingTest : public camtest::CameraTest,
                           public testing::WithParamInterface<SoundCase> {};

INSTANTIATE_TEST_SUITE_P(Feeds, SoundRecordingTest,
                         testing::Values(SoundCase{"av_audiofirst", 0, 3'000'000, 0},
                                         SoundCase{"av_videofirst", 0, 0, 2'000'123},
                                         SoundCase{"av_rendered", 1, 0, 1'000'000},
                                         SoundCase{"av_rendered_audiofirst", 2, 1'500'000, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// Block n of the audio: a left and a right 16-bit value that differ for
// every block in an hour.
void appendBlock(std::vector<std::uint8_t>& audio, std::uint32_t n) {
    const std::uint32_t left = n * 7u;
    const std::uint32_t right = ~n;
    for (const std::uint32_t value : {left, right}) {
        audio.push_back(static_cast<std::uint8_t>(value));
        audio.push_back(static_cast<std::uint8_t>(value >> 8));
    }
}

// Connects the sources to the writer: straight, or rendered by the builder in
// the order the case gives.
void connect(IGraphBuilder* graph, IBaseFilter* writer, harness::PushSource* video,
             harness::PushSource* audio, int rendered) {
    if (rendered == 0) {
        ASSERT_EQ(video->pin().Connect(camtest::findPin(writer, L"Input").get(), nullptr), S_OK);
        ASSERT_EQ(audio->pin().Connect(camtest::findPin(writer, L"Input 2").get(), nullptr), S_OK);
        return;
    }
    ASSERT_EQ(graph->AddFilter(video, L"Video source"), S_OK);
    ASSERT_EQ(graph->AddFilter(audio, L"Audio source"), S_OK);
    ComPtr<ICaptureGraphBuilder2> builder;
    ASSERT_EQ(CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                               IID_ICaptureGraphBuilder2, builder.putVoid()),
              S_OK);
    ASSERT_EQ(builder->SetFiltergraph(graph), S_OK);
    const bool videoFirst = rendered == 1;
    for (const bool isVideo : {videoFirst, !videoFirst}) {
        EXPECT_EQ(builder->RenderStream(
                      &PIN_CATEGORY_CAPTURE, isVideo ? &MEDIATYPE_Video : &MEDIATYPE_Audio,
                      isVideo ? static_cast<IBaseFilter*>(video) : audio, nullptr, writer),
                  S_OK);
    }
    // The first stream rendered takes the first pin.
    AM_MEDIA_TYPE first{};
    ASSERT_EQ(camtest::findPin(writer, L"Input")->ConnectionMediaType(&first), S_OK);
    const GUID major = first.majortype;
    filterbase::freeMediaTypeFields(first);
    EXPECT_EQ(major, videoFirst ? MEDIATYPE_Video : MEDIATYPE_Audio);
}

TEST_P(SoundRecordingTest, KeepsBothStreamsInStep) {
    const SoundCase& c = GetParam();
    ComPtr<IGraphBuilder> graph;
    ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                               graph.putVoid()),
              S_OK);
    const std::string name = c.name;
    const std::wstring file = std::wstring(name.begin(), name.end()) + L".avi";
    ComPtr<IBaseFilter> writer;
    ASSERT_EQ(vcx::setAviOutputFileName(graph.get(), &MEDIASUBTYPE_Avi, file.c_str(), writer.put(),
                                        nullptr),
              S_OK);
    const long frameBytes = static_cast<long>(vcxcam::frameSize(kWidth, kHeight));
    WAVEFORMATEX wave{WAVE_FORMAT_PCM, 2, kSampleRate, kSampleRate * kBlock, kBlock, 16, 0};
    AM_MEDIA_TYPE audioType{MEDIATYPE_Audio, MEDIASUBTYPE_PCM, TRUE,
                            FALSE,           kBlock,           FORMAT_WaveFormatEx,
                            nullptr,         sizeof(wave),     reinterpret_cast<BYTE*>(&wave)};
    ComPtr<harness::PushSource> video;
    ComPtr<harness::PushSource> audio;
    *video.put() = harness::PushSource::create(
        *camtest::VideoInfoType(kWidth, kHeight, kFrame).get(), frameBytes);
    *audio.put() = harness::PushSource::create(audioType, kChunkBlocks * kBlock);
    ASSERT_TRUE(video && audio);
    if (c.rendered == 0) {
        ASSERT_EQ(graph->RemoveFilter(writer.get()), S_OK);
    }
    connect(graph.get(), writer.get(), video.get(), audio.get(), c.rendered);
    ComPtr<IMediaControl> control;
    ASSERT_EQ(graph->QueryInterface(IID_IMediaControl, control.putVoid()), S_OK);
    if (c.rendered == 0) {
        ASSERT_EQ(writer->Pause(), S_OK);
        ASSERT_EQ(video->Pause(), S_OK);
        ASSERT_EQ(audio->Pause(), S_OK);
    } else {
        ASSERT_EQ(control->Run(), S_OK);
    }

    // Both streams up to the video's end, each sample sent when it is the earlier.
    const REFERENCE_TIME end = c.videoStart + kFrames * kFrame;
    const auto totalBlocks =
        static_cast<std::uint32_t>((end - c.audioStart) * kSampleRate / 10'000'000);
    std::vector<std::uint8_t> frame(static_cast<std::size_t>(frameBytes));
    std::vector<std::uint8_t> sound;
    int sent = 0;
    std::uint32_t blocks = 0;
    while (sent < kFrames || blocks < totalBlocks) {
        const REFERENCE_TIME frameTime = c.videoStart + sent * kFrame;
        const REFERENCE_TIME soundTime =
            c.audioStart + static_cast<REFERENCE_TIME>(blocks) * 10'000'000 / kSampleRate;
        if (blocks >= totalBlocks || (sent < kFrames && frameTime <= soundTime)) {
            vcxcam::drawFrame(frame.data(), kWidth, kHeight, static_cast<std::uint32_t>(sent));
            ASSERT_EQ(video->send(frame.data(), frameBytes, frameTime, kFrame), S_OK);
            ++sent;
        } else {
            const std::size_t before = sound.size();
            const std::uint32_t count = std::min<std::uint32_t>(kChunkBlocks, totalBlocks - blocks);
            for (std::uint32_t i = 0; i < count; ++i) {
                appendBlock(sound, blocks + i);
            }
            ASSERT_EQ(audio->send(&sound[before], static_cast<long>(count * kBlock), soundTime,
                                  count * 10'000'000LL / kSampleRate),
                      S_OK);
            blocks += count;
        }
    }
    if (c.rendered != 0) {
        // The recording completes when both streams ended, not before.
        ComPtr<IMediaEvent> events;
        ASSERT_EQ(graph->QueryInterface(IID_IMediaEvent, events.putVoid()), S_OK);
        long code = 0;
        LONG_PTR param1 = 0;
        LONG_PTR param2 = 0;
        ASSERT_EQ(video->endOfStream(), S_OK);
        while (events->GetEvent(&code, &param1, &param2, 0) == S_OK) {
            EXPECT_NE(code, EC_COMPLETE);
        }
        ASSERT_EQ(audio->endOfStream(), S_OK);
        EXPECT_EQ(events->WaitForCompletion(1000, &code), S_OK);
        EXPECT_EQ(code, EC_COMPLETE);
        ASSERT_EQ(control->Stop(), S_OK);
    } else {
        ASSERT_EQ(audio->Stop(), S_OK);
        ASSERT_EQ(video->Stop(), S_OK);
        ASSERT_EQ(writer->Stop(), S_OK);
        video->pin().Disconnect();
        audio->pin().Disconnect();
        camtest::findPin(writer.get(), L"Input")->Disconnect();
        camtest::findPin(writer.get(), L"Input 2")->Disconnect();
    }
    avirec::writeExpectation(name, kFrames, kWidth, kHeight, 0);
    avirec::writeAudioExpectation(name, sound,
                                  static_cast<double>(c.audioStart - c.videoStart) / 1e7);
}

} // namespace
