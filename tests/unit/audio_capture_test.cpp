// The sound of a recording: the graph calls open makes for the slot's audio
// capture on Windows' AVI Mux and on the library's own writer, the code of
// every failing step, the audio format refusal in open's result, and the
// references every path gives back.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmreg.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "vcxcap.h"

#include "core/teardown.h"

#include "fakes/fake_audio.h"
#include "fakes/fake_code_page.h"
#include "fakes/fake_stream_config.h"
#include "fakes/output_world.h"

using namespace fakes;

namespace {

using FakeMicrophone = FakeEntry<FakeAudioDevice>;
using FakeAudioCodec = FakeEntry<FakeFilter>;

class AudioCapture : public OutputWorld {
  protected:
    AudioCapture() {
        addDevice();
        devEnum->setCategory(CLSID_AudioInputDeviceCategory, audioDevices.get());
        devEnum->setCategory(CLSID_AudioCompressorCategory, audioCompressors.get());
        addEntry(microphones, *audioDevices, "microphone", L"Mic A");
        addEntry(microphones, *audioDevices, "microphone", L"Mic B");
        addEntry(codecs, *audioCompressors, "audioCodec", L"Speech codec");
        builder->multiplexer = aviMux.get();
        builder->found = streamConfig.get();
        platform.table().setAviOutputFileName = nullptr;
        journal().clear();
    }
    ~AudioCapture() override {
        // The slots go before the fakes they hold.
        for (int index = 0; index < vcx::kSlotCount; ++index) {
            vcx::library().activeSlot = index;
            vcx::releaseSlot();
        }
    }
    std::vector<FakeCom*> everyFake() const override {
        std::vector<FakeCom*> all = OutputWorld::everyFake();
        all.insert(all.end(),
                   {audioDevices.get(), audioCompressors.get(), aviMux.get(), streamConfig.get()});
        for (const auto& entry : microphones) {
            entry->addTo(all);
        }
        for (const auto& entry : codecs) {
            entry->addTo(all);
        }
        return all;
    }
    // The journal entries of the sound's graph calls, in order.
    static std::vector<std::string> soundCalls() {
        static const char* const marks[] = {"AddFilter(Audio", "MEDIATYPE_Audio", "SetFormat",
                                            "aviMux.Set",      "aviMux.put_",     "SetSyncSource"};
        std::vector<std::string> calls;
        for (const std::string& entry : journal().entries()) {
            for (const char* mark : marks) {
                if (entry.find(mark) != std::string::npos) {
                    calls.push_back(entry);
                    break;
                }
            }
        }
        return calls;
    }
    int openAvi() { return vcx_Open(0, 300, 0, textArgument(L"out.avi"), 0); }
    void chooseEverything() {
        vcx::AudioRequest& audio = vcx::activeSlot().audio;
        audio.devicePlusOne = 2;
        std::memcpy(audio.codecName, "Speech codec", 13);
        audio.sampleRate = 48000;
        audio.channels = 2;
        audio.bitsPerSample = 16;
    }

    FakeCodePage codePage{platform};
    Held<FakeEnumMoniker> audioDevices{"audioDevices"};
    Held<FakeEnumMoniker> audioCompressors{"audioCompressors"};
    Held<FakeAviMux> aviMux{"aviMux"};
    Held<FakeStreamConfig> streamConfig{"audioConfig"};
    std::vector<std::unique_ptr<FakeMicrophone>> microphones;
    std::vector<std::unique_ptr<FakeAudioCodec>> codecs;
};

TEST_F(AudioCapture, OnWindowsMuxTheSoundIsTheMasterStreamAndTheDeviceClocksTheGraph) {
    chooseEverything();
    ASSERT_EQ(openAvi(), 0);
    const std::vector<std::string> expected = {
        "graph.AddFilter(Audio Capture)",
        "builder.FindInterface(PIN_CATEGORY_CAPTURE, MEDIATYPE_Audio, microphone1, "
        "IAMStreamConfig)",
        "audioConfig.SetFormat(-1)",
        "graph.AddFilter(Audio Compressor)",
        "builder.RenderStream(PIN_CATEGORY_CAPTURE, MEDIATYPE_Audio, microphone1, audioCodec0, "
        "aviMux)",
        "aviMux.SetMasterStream(1)",
        "aviMux.put_Mode(1)", // INTERLEAVE_CAPTURE
        "aviMux.put_Interleaving(10000000, 0)",
        "graph.SetSyncSource(microphone1)",
    };
    EXPECT_EQ(soundCalls(), expected);
    // The video stream went to the multiplexer first: the sound is stream 1.
    const auto& all = journal().entries();
    const auto video = std::find(all.begin(), all.end(),
                                 "builder.RenderStream(PIN_CATEGORY_CAPTURE, MEDIATYPE_Video, "
                                 "device0, null, aviMux)");
    const auto audio = std::find(all.begin(), all.end(), "aviMux.SetMasterStream(1)");
    EXPECT_LT(video, audio);
    // The requested format, as a PCM WAVEFORMATEX.
    ASSERT_EQ(streamConfig->setFormats.size(), 1u);
    const auto& set = streamConfig->setFormats.front();
    EXPECT_EQ(set.type.majortype, MEDIATYPE_Audio);
    EXPECT_EQ(set.type.subtype, MEDIASUBTYPE_PCM);
    EXPECT_EQ(set.type.formattype, FORMAT_WaveFormatEx);
    ASSERT_EQ(set.type.cbFormat, sizeof(WAVEFORMATEX));
    WAVEFORMATEX wave;
    std::memcpy(&wave, set.block.data(), sizeof wave);
    EXPECT_EQ(wave.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(wave.nSamplesPerSec, 48000u);
    EXPECT_EQ(wave.nChannels, 2);
    EXPECT_EQ(wave.wBitsPerSample, 16);
    EXPECT_EQ(wave.nBlockAlign, 4);
    EXPECT_EQ(wave.nAvgBytesPerSec, 192000u);
    // One reference each, kept by the slot.
    EXPECT_EQ(microphones[1]->filter->refs(), 2u);
    EXPECT_EQ(codecs[0]->filter->refs(), 2u);
    EXPECT_EQ(microphones[0]->filter->refs(), 1u);
    ASSERT_EQ(vcx_Close(), 0);
    expectAllReleased();
}

TEST_F(AudioCapture, OnTheOwnWriterTheMuxIsNotConfigured) {
    aviWriter->install(platform);
    builder->setResult("SetOutputFileName", E_NOTIMPL);
    vcx::activeSlot().audio.devicePlusOne = 1;
    ASSERT_EQ(openAvi(), 0);
    EXPECT_TRUE(journal().contains(
        "builder.RenderStream(PIN_CATEGORY_CAPTURE, MEDIATYPE_Audio, microphone0, null, "
        "writerMux)"));
    EXPECT_TRUE(journal().contains("graph.SetSyncSource(microphone0)"));
    EXPECT_TRUE(journal().matching("SetMasterStream").empty());
    EXPECT_TRUE(journal().matching("put_Mode").empty());
    EXPECT_TRUE(journal().matching("SetFormat").empty());
    ASSERT_EQ(vcx_Close(), 0);
    expectAllReleased();
}

TEST_F(AudioCapture, ADeviceWithoutAClockLeavesTheGraphsClock) {
    microphones[0]->filter->offersClock = false;
    vcx::activeSlot().audio.devicePlusOne = 1;
    ASSERT_EQ(openAvi(), 0);
    EXPECT_TRUE(journal().matching("SetSyncSource").empty());
    ASSERT_EQ(vcx_Close(), 0);
    expectAllReleased();
}

TEST_F(AudioCapture, AFormatTheDeviceRefusesAddsTwoToOpensResult) {
    chooseEverything();
    streamConfig->setResult("SetFormat", VFW_E_INVALIDMEDIATYPE);
    EXPECT_EQ(openAvi(), 2);
    EXPECT_EQ(vcx_GetRef(), vcx::kSlotOpen);
    ASSERT_EQ(vcx_Close(), 0);
    // No stream configuration counts as a refusal too.
    builder->found = nullptr;
    EXPECT_EQ(openAvi(), 2);
    ASSERT_EQ(vcx_Close(), 0);
    expectAllReleased();
}

TEST_F(AudioCapture, OtherModesAndAnUnchosenDeviceIgnoreTheSoundChoices) {
    vcx::AudioRequest& audio = vcx::activeSlot().audio;
    std::memcpy(audio.codecName, "Speech codec", 13);
    audio.sampleRate = 48000;
    ASSERT_EQ(openAvi(), 0);
    EXPECT_TRUE(journal().matching("Audio").empty());
    ASSERT_EQ(vcx_Close(), 0);
    audio.devicePlusOne = 1;
    ASSERT_EQ(vcx_Open(0, 6, 0, 0, 0), 0);
    EXPECT_TRUE(journal().matching("Audio").empty());
    ASSERT_EQ(vcx_Close(), 0);
    expectAllReleased();
}

// A result set on a fake's call, or "create" for the nth creation of the
// System Device Enumerator.
struct Step {
    const char* name;
    const char* fake;
    const char* call;
    HRESULT hr;
    int expected;
};

class AudioCaptureFails : public AudioCapture, public testing::WithParamInterface<Step> {};

TEST_P(AudioCaptureFails, WithTheStepsCodeAndGivesEverythingBack) {
    const Step& step = GetParam();
    chooseEverything();
    if (std::string(step.fake) == "create") {
        platform.setNthCreateResult(CLSID_SystemDeviceEnum, std::stoi(step.call), step.hr);
    } else if (std::string(step.fake) == "category") {
        devEnum->setCategory(std::string(step.call) == "devices" ? CLSID_AudioInputDeviceCategory
                                                                 : CLSID_AudioCompressorCategory,
                             nullptr);
    } else if (std::string(step.fake) == "slot") {
        vcx::activeSlot().audio.devicePlusOne = 3; // the list shrank since it was chosen
    } else {
        for (FakeCom* fake : everyFake()) {
            if (fake->name() == step.fake) {
                fake->setResult(step.call, step.hr);
            }
        }
    }
    EXPECT_EQ(openAvi(), step.expected);
    EXPECT_EQ(vcx_GetRef(), vcx::kSlotClosed);
    expectSlotEmpty(vcx::activeSlot());
    expectAllReleased();
}

INSTANTIATE_TEST_SUITE_P(
    Steps, AudioCaptureFails,
    testing::Values(
        // The first enumerator is the video device's, the second the sound's.
        Step{"NoDeviceEnumerator", "create", "2", E_FAIL, -60},
        Step{"NoAudioCategory", "category", "devices", S_OK, -61},
        Step{"DeviceGoneFromTheList", "slot", "", S_OK, -62},
        Step{"DeviceNotBound", "microphone1.moniker", "BindToObject", E_FAIL, -63},
        Step{"DeviceNotAdded", "graph", "AddFilter(Audio Capture)", E_FAIL, -63},
        Step{"NoCompressorEnumerator", "create", "3", E_FAIL, -64},
        Step{"NoCompressorCategory", "category", "compressors", S_OK, -65},
        Step{"CompressorGone", "audioCodec0.bag", "Read", E_FAIL, -66},
        Step{"CompressorNotBound", "audioCodec0.moniker", "BindToObject", E_FAIL, -67},
        Step{"CompressorNotAdded", "graph", "AddFilter(Audio Compressor)", E_FAIL, -67},
        Step{"NotRendered", "builder",
             "RenderStream(PIN_CATEGORY_CAPTURE, MEDIATYPE_Audio, microphone1, audioCodec0, "
             "aviMux)",
             VFW_E_CANNOT_CONNECT, -68},
        Step{"RenderedWithSuccessCode", "builder",
             "RenderStream(PIN_CATEGORY_CAPTURE, MEDIATYPE_Audio, microphone1, audioCodec0, "
             "aviMux)",
             S_FALSE, -68},
        Step{"NoConfigAviMux", "aviMux", "QueryInterface(IConfigAviMux)", E_NOINTERFACE, -69},
        Step{"MasterStreamRefused", "aviMux", "SetMasterStream", E_FAIL, -69},
        Step{"NoInterleaving", "aviMux", "QueryInterface(IConfigInterleaving)", E_NOINTERFACE, -70},
        Step{"ModeRefused", "aviMux", "put_Mode", E_NOTIMPL, -70},
        Step{"InterleaveRefused", "aviMux", "put_Interleaving", E_INVALIDARG, -70},
        Step{"NoMediaFilter", "graph", "QueryInterface(IMediaFilter)", E_NOINTERFACE, -71},
        Step{"ClockRefused", "graph", "SetSyncSource", E_FAIL, -71}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
