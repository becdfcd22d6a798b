// The audio capture setters: what each stores, the codes of a refused value
// (which leaves the slot's choice as it was), and what they ask of the
// platform.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmreg.h>

#include <cstring>
#include <string>

#include "vcxcap.h"

#include "fakes/capture_world.h"
#include "fakes/fake_code_page.h"
#include "fakes/fake_stream_config.h"
#include "fakes/fake_task_memory.h"

using namespace fakes;

namespace {

class AudioRequest : public CaptureWorld {
  public:
    AudioRequest() {
        devEnum->setCategory(CLSID_AudioInputDeviceCategory, audioDevices.get());
        devEnum->setCategory(CLSID_AudioCompressorCategory, audioCompressors.get());
    }
    FakeDevice& addMicrophone(const std::wstring& name) {
        return addEntry(microphones, *audioDevices, "microphone", name);
    }
    FakeDevice& addAudioCodec(const std::wstring& name) {
        return addEntry(codecs, *audioCompressors, "audioCodec", name);
    }
    std::vector<FakeCom*> everyFake() const override {
        std::vector<FakeCom*> all = CaptureWorld::everyFake();
        all.insert(all.end(), {audioDevices.get(), audioCompressors.get()});
        for (const auto& entry : microphones) {
            entry->addTo(all);
        }
        for (const auto& entry : codecs) {
            entry->addTo(all);
        }
        return all;
    }
    static const vcx::AudioRequest& stored() { return vcx::activeSlot().audio; }

    FakeCodePage codePage{platform};
    Held<FakeEnumMoniker> audioDevices{"audioDevices"};
    Held<FakeEnumMoniker> audioCompressors{"audioCompressors"};
    std::vector<std::unique_ptr<FakeDevice>> microphones;
    std::vector<std::unique_ptr<FakeDevice>> codecs;
};

TEST_F(AudioRequest, DeviceIndexWithinTheListIsStoredAndMinusOneMeansNone) {
    addMicrophone(L"Mic A");
    addMicrophone(L"Mic B");
    EXPECT_EQ(vcx_SetAudioDevice(1), 0);
    EXPECT_EQ(stored().devicePlusOne, 2);
    EXPECT_EQ(vcx_SetAudioDevice(0), 0);
    EXPECT_EQ(stored().devicePlusOne, 1);
    EXPECT_EQ(vcx_SetAudioDevice(-1), 0);
    EXPECT_EQ(stored().devicePlusOne, 0);
    expectAllReleased();
}

struct DeviceRefusal {
    const char* name;
    int index;
    int microphones;
    bool initialised;
    bool category;
    bool enumerator;
    int expected;
};

class AudioDeviceRefused : public AudioRequest,
                           public testing::WithParamInterface<DeviceRefusal> {};

TEST_P(AudioDeviceRefused, AnswersItsCodeAndKeepsTheChoice) {
    const DeviceRefusal& c = GetParam();
    for (int i = 0; i < c.microphones; ++i) {
        addMicrophone(L"Mic");
    }
    vcx::activeSlot().audio.devicePlusOne = 1;
    vcx::library().comInitialized = c.initialised ? 1 : 0;
    if (!c.category) {
        devEnum->setCategory(CLSID_AudioInputDeviceCategory, nullptr);
    }
    if (!c.enumerator) {
        platform.setCreateResult(CLSID_SystemDeviceEnum, E_FAIL);
    }
    EXPECT_EQ(vcx_SetAudioDevice(c.index), c.expected);
    EXPECT_EQ(stored().devicePlusOne, 1);
    expectAllReleased();
}

INSTANTIATE_TEST_SUITE_P(
    Codes, AudioDeviceRefused,
    testing::Values(DeviceRefusal{"NotInitialised", 0, 1, false, true, true, -1},
                    DeviceRefusal{"BelowMinusOne", -2, 1, true, true, true, -2},
                    DeviceRefusal{"NoDeviceEnumerator", 0, 1, true, true, false, -3},
                    DeviceRefusal{"NoCategory", 0, 0, true, false, true, -4},
                    DeviceRefusal{"PastTheList", 2, 2, true, true, true, -5},
                    DeviceRefusal{"EmptyList", 0, 0, true, true, true, -5}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AudioRequest, CodecIsStoredByItsExactListedName) {
    addAudioCodec(L"PCM Copy");
    addAudioCodec(L"Speech codec");
    EXPECT_EQ(vcx_SetAudioCodec("Speech codec"), 0);
    EXPECT_STREQ(stored().codecName, "Speech codec");
    EXPECT_EQ(vcx_SetAudioCodec(""), 0);
    EXPECT_STREQ(stored().codecName, "");
    EXPECT_EQ(vcx_SetAudioCodec("PCM Copy"), 0);
    EXPECT_EQ(vcx_SetAudioCodec(nullptr), 0);
    EXPECT_STREQ(stored().codecName, "");
    expectAllReleased();
}

struct CodecRefusal {
    const char* name;
    std::string codec;
    bool category;
    bool enumerator;
    int expected;
};

class AudioCodecRefused : public AudioRequest, public testing::WithParamInterface<CodecRefusal> {};

TEST_P(AudioCodecRefused, AnswersItsCodeAndKeepsTheChoice) {
    const CodecRefusal& c = GetParam();
    addAudioCodec(L"Speech codec");
    addAudioCodec(L"");
    std::memcpy(vcx::activeSlot().audio.codecName, "Kept", 5);
    if (!c.category) {
        devEnum->setCategory(CLSID_AudioCompressorCategory, nullptr);
    }
    if (!c.enumerator) {
        platform.setCreateResult(CLSID_SystemDeviceEnum, E_FAIL);
    }
    EXPECT_EQ(vcx_SetAudioCodec(c.codec.c_str()), c.expected);
    EXPECT_STREQ(stored().codecName, "Kept");
    expectAllReleased();
}

INSTANTIATE_TEST_SUITE_P(
    Codes, AudioCodecRefused,
    testing::Values(CodecRefusal{"TooLong", std::string(256, 'a'), true, true, -2},
                    CodecRefusal{"NoDeviceEnumerator", "Speech codec", true, false, -3},
                    CodecRefusal{"NoCategory", "Speech codec", false, true, -4},
                    CodecRefusal{"CaseDiffers", "speech codec", true, true, -5},
                    CodecRefusal{"Prefix", "Speech", true, true, -5},
                    CodecRefusal{"TrailingSpace", "Speech codec ", true, true, -5}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AudioRequest, CodecBeforeInitIsRefused) {
    vcx::library().comInitialized = 0;
    EXPECT_EQ(vcx_SetAudioCodec("Speech codec"), -1);
    EXPECT_TRUE(journal().entries().empty());
}

struct FormatCase {
    int rate;
    int channels;
    int bits;
    int expected;
};

class AudioFormatRequest : public AudioRequest, public testing::WithParamInterface<FormatCase> {};

TEST_P(AudioFormatRequest, StoresASaneFormatOnly) {
    const FormatCase& c = GetParam();
    vcx::library().comInitialized = 0; // needs no vcx_Init
    ASSERT_EQ(vcx_SetAudioFormat(44100, 2, 16), 0);
    EXPECT_EQ(vcx_SetAudioFormat(c.rate, c.channels, c.bits), c.expected);
    const bool taken = c.expected == 0;
    EXPECT_EQ(stored().sampleRate, taken ? c.rate : 44100);
    EXPECT_EQ(stored().channels, taken ? c.channels : 2);
    EXPECT_EQ(stored().bitsPerSample, taken ? c.bits : 16);
    EXPECT_TRUE(journal().entries().empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, AudioFormatRequest,
                         testing::Values(FormatCase{48000, 1, 8, 0}, FormatCase{1000, 8, 32, 0},
                                         FormatCase{384000, 2, 24, 0}, FormatCase{0, 0, 0, 0},
                                         FormatCase{999, 2, 16, -1}, FormatCase{384001, 2, 16, -1},
                                         FormatCase{0, 2, 16, -1}, FormatCase{-44100, 2, 16, -1},
                                         FormatCase{44100, 0, 16, -2}, FormatCase{44100, 9, 16, -2},
                                         FormatCase{44100, 2, 12, -3},
                                         FormatCase{44100, 2, 0, -3}));

TEST_F(AudioRequest, ChoicesArePerSlotAndSurviveClose) {
    addMicrophone(L"Mic");
    ASSERT_EQ(vcx_SetAudioDevice(0), 0);
    ASSERT_EQ(vcx_SetAudioFormat(22050, 1, 16), 0);
    vcx::library().activeSlot = 1;
    EXPECT_EQ(stored().devicePlusOne, 0);
    EXPECT_EQ(stored().sampleRate, 0);
    vcx::library().activeSlot = 0;
    vcx::activeSlot().state = vcx::kSlotOpen;
    ASSERT_EQ(vcx_Close(), 0);
    EXPECT_EQ(stored().devicePlusOne, 1);
    EXPECT_EQ(stored().sampleRate, 22050);
}

// A capability carrying a WAVEFORMATEX of the given format.
FakeCapability audioCapability(DWORD rate, WORD channels, WORD bits) {
    FakeCapability capability;
    capability.formatType = FORMAT_WaveFormatEx;
    capability.formatSize = sizeof(WAVEFORMATEX);
    WAVEFORMATEX wave{WAVE_FORMAT_PCM,
                      channels,
                      rate,
                      rate * channels * bits / 8,
                      static_cast<WORD>(channels * bits / 8),
                      bits,
                      0};
    std::memcpy(&capability.info, &wave, sizeof wave);
    return capability;
}

class AudioFormatList : public AudioRequest {
  public:
    AudioFormatList() {
        addMicrophone(L"Mic A");
        addMicrophone(L"Mic B");
        builder->found = config.get();
        config->capsSize = sizeof(AUDIO_STREAM_CONFIG_CAPS);
        config->capabilities = {audioCapability(44100, 2, 16), videoCapability(640, 480, 333333),
                                audioCapability(8000, 1, 8)};
    }
    std::vector<FakeCom*> everyFake() const override {
        std::vector<FakeCom*> all = AudioRequest::everyFake();
        all.push_back(config.get());
        return all;
    }
    Held<FakeStreamConfig> config{"audioConfig"};
};

TEST_F(AudioFormatList, ListsEachWaveFormatOfTheDevicesCapturePin) {
    char buffer[64] = "x\r\n";
    EXPECT_EQ(vcx_GetAudioFormatList(1, buffer), 2);
    EXPECT_STREQ(buffer, "x\r\n44100,2,16\r\n8000,1,8\r\n");
    EXPECT_EQ(vcx_GetAudioFormatListSize(1), 1 + 12 + 10);
    EXPECT_TRUE(journal().contains(
        "builder.FindInterface(PIN_CATEGORY_CAPTURE, MEDIATYPE_Audio, microphone1, "
        "IAMStreamConfig)"));
    // The device, the builder and every type are given back after each call.
    expectAllReleased();
    EXPECT_TRUE(outstandingTaskMemory().empty());
}

struct ListFailure {
    const char* name;
    void (*arrange)(AudioFormatList&);
    int device;
    bool nullBuffer;
    int expected;
};

class AudioFormatListFails : public AudioFormatList,
                             public testing::WithParamInterface<ListFailure> {};

TEST_P(AudioFormatListFails, WithItsCodeWritingNothing) {
    const ListFailure& c = GetParam();
    c.arrange(*this);
    char buffer[64] = "kept";
    EXPECT_EQ(vcx_GetAudioFormatList(c.device, c.nullBuffer ? nullptr : buffer), c.expected);
    EXPECT_STREQ(buffer, "kept");
    if (!c.nullBuffer) {
        EXPECT_EQ(vcx_GetAudioFormatListSize(c.device), c.expected);
    }
    expectAllReleased();
}

INSTANTIATE_TEST_SUITE_P(
    Codes, AudioFormatListFails,
    testing::Values(ListFailure{"NotInitialised",
                                [](AudioFormatList&) { vcx::library().comInitialized = 0; }, 0,
                                false, -1},
                    ListFailure{"NullBuffer", [](AudioFormatList&) {}, 0, true, -2},
                    ListFailure{"NoDeviceEnumerator",
                                [](AudioFormatList& t) {
                                    t.platform.setCreateResult(CLSID_SystemDeviceEnum, E_FAIL);
                                },
                                0, false, -3},
                    ListFailure{"NoCategory",
                                [](AudioFormatList& t) {
                                    t.devEnum->setCategory(CLSID_AudioInputDeviceCategory, nullptr);
                                },
                                0, false, -4},
                    ListFailure{"PastTheList", [](AudioFormatList&) {}, 2, false, -5},
                    ListFailure{"Negative", [](AudioFormatList&) {}, -1, false, -5},
                    ListFailure{"NotBound",
                                [](AudioFormatList& t) {
                                    t.microphones[0]->moniker->setResult("BindToObject", E_FAIL);
                                },
                                0, false, -6},
                    ListFailure{"NoBuilder",
                                [](AudioFormatList& t) {
                                    t.platform.setCreateResult(CLSID_CaptureGraphBuilder2, E_FAIL);
                                },
                                0, false, -7},
                    ListFailure{"NoStreamConfig",
                                [](AudioFormatList& t) {
                                    t.builder->setResult("FindInterface", E_NOINTERFACE);
                                },
                                0, false, -8}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
