// The microphone's own code without a graph: its Formats lines, the PCM types
// made from them and read back, and the counter signal.
#include "audio_format.h"
#include "audio_signal.h"

#include <mmreg.h>
#include <uuids.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <vector>

namespace {

using vcxcam::AudioFormat;

struct ParseCase {
    const wchar_t* line;
    std::optional<AudioFormat> expected;
};

class AudioFormatParse : public testing::TestWithParam<ParseCase> {};

TEST_P(AudioFormatParse, ReadsRateChannelsAndBits) {
    EXPECT_EQ(vcxcam::parseAudioFormat(GetParam().line), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, AudioFormatParse,
    testing::Values(ParseCase{L"48000,2,16", AudioFormat{48000, 2, 16}},
                    ParseCase{L" 8000 , 1 , 8 \r\n", AudioFormat{8000, 1, 8}},
                    ParseCase{L"192000,8,32", AudioFormat{192000, 8, 32}},
                    ParseCase{L"1000,1,24", AudioFormat{1000, 1, 24}},
                    ParseCase{L"999,1,16", std::nullopt},    // rate below the range
                    ParseCase{L"192001,2,16", std::nullopt}, // above it
                    ParseCase{L"44100,0,16", std::nullopt},  // no channel
                    ParseCase{L"44100,9,16", std::nullopt},  // too many
                    ParseCase{L"44100,2,12", std::nullopt},  // not a whole byte
                    ParseCase{L"44100,2", std::nullopt}, ParseCase{L"44100,2,16,1", std::nullopt},
                    ParseCase{L"44100;2;16", std::nullopt}, ParseCase{L"-44100,2,16", std::nullopt},
                    ParseCase{L"4294967296,2,16", std::nullopt}, ParseCase{L"", std::nullopt}));

TEST(AudioFormatList, SkipsBadLinesAndRepeats) {
    EXPECT_EQ(vcxcam::parseAudioFormats({L"48000,2,16", L"bad", L"8000,1,8", L"48000, 2, 16"}),
              (std::vector<AudioFormat>{{48000, 2, 16}, {8000, 1, 8}}));
}

TEST(AudioType, DescribesTheFormatAndReadsBack) {
    for (const AudioFormat& format :
         {AudioFormat{44100, 2, 16}, AudioFormat{8000, 1, 8}, AudioFormat{96000, 6, 24}}) {
        filterbase::MediaType type;
        ASSERT_EQ(vcxcam::makeAudioType(format, type), S_OK);
        EXPECT_EQ(type->majortype, MEDIATYPE_Audio);
        EXPECT_EQ(type->subtype, MEDIASUBTYPE_PCM);
        EXPECT_EQ(type->formattype, FORMAT_WaveFormatEx);
        ASSERT_EQ(type->cbFormat, sizeof(WAVEFORMATEX));
        const auto* wave = reinterpret_cast<const WAVEFORMATEX*>(type->pbFormat);
        EXPECT_EQ(wave->wFormatTag, WAVE_FORMAT_PCM);
        EXPECT_EQ(wave->nBlockAlign, format.channels * format.bitsPerSample / 8);
        EXPECT_EQ(wave->nAvgBytesPerSec, format.sampleRate * wave->nBlockAlign);
        EXPECT_EQ(type->lSampleSize, static_cast<ULONG>(wave->nBlockAlign));
        EXPECT_EQ(vcxcam::readAudioType(type.get()), format);
    }
}

TEST(AudioType, RefusesTypesThatDoNotAgreeWithThemselves) {
    const auto variant = [](void (*change)(AM_MEDIA_TYPE&, WAVEFORMATEX&)) {
        filterbase::MediaType made;
        EXPECT_EQ(vcxcam::makeAudioType({44100, 2, 16}, made), S_OK);
        WAVEFORMATEX wave;
        std::memcpy(&wave, made->pbFormat, sizeof wave);
        AM_MEDIA_TYPE type = made.get();
        type.pbFormat = reinterpret_cast<BYTE*>(&wave);
        change(type, wave);
        return vcxcam::readAudioType(type);
    };
    EXPECT_EQ(variant([](AM_MEDIA_TYPE& t, WAVEFORMATEX&) { t.majortype = MEDIATYPE_Video; }),
              std::nullopt);
    EXPECT_EQ(variant([](AM_MEDIA_TYPE& t, WAVEFORMATEX&) { t.cbFormat = 16; }), std::nullopt);
    EXPECT_EQ(variant([](AM_MEDIA_TYPE&, WAVEFORMATEX& w) { w.nBlockAlign = 2; }), std::nullopt);
    EXPECT_EQ(variant([](AM_MEDIA_TYPE&, WAVEFORMATEX& w) { w.nAvgBytesPerSec = 1; }),
              std::nullopt);
    EXPECT_EQ(variant([](AM_MEDIA_TYPE&, WAVEFORMATEX& w) { w.wFormatTag = 3; }), std::nullopt);
}

struct SignalCase {
    AudioFormat format;
    std::uint64_t first;
    std::vector<std::uint8_t> bytes; // of two frames
};

class CounterSignal : public testing::TestWithParam<SignalCase> {};

TEST_P(CounterSignal, HoldsEachFrameIndexLittleEndian) {
    const SignalCase& c = GetParam();
    std::vector<std::uint8_t> out(c.bytes.size(), 0xEE);
    vcxcam::writeCounterSamples(out.data(), c.format, c.first, 2);
    EXPECT_EQ(out, c.bytes);
    const std::size_t block = c.format.blockAlign();
    const std::uint64_t modulus = block >= 8 ? 0 : std::uint64_t{1} << (8 * block);
    for (std::uint64_t frame = 0; frame < 2; ++frame) {
        const std::uint64_t index = c.first + frame;
        EXPECT_EQ(vcxcam::readCounterSample(out.data() + frame * block, c.format),
                  modulus == 0 ? index : index % modulus);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, CounterSignal,
    testing::Values(
        // 16-bit stereo: left the low word, right the high word.
        SignalCase{{48000, 2, 16}, 0x0001FFFF, {0xFF, 0xFF, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00}},
        // 8-bit mono wraps at 256.
        SignalCase{{8000, 1, 8}, 255, {0xFF, 0x00}},
        // 16-bit mono wraps at 65536.
        SignalCase{{22050, 1, 16}, 0x12345, {0x45, 0x23, 0x46, 0x23}},
        // 24-bit stereo: six bytes of the index.
        SignalCase{{96000, 2, 24}, 0x010203040506, {6, 5, 4, 3, 2, 1, 7, 5, 4, 3, 2, 1}}));

} // namespace
