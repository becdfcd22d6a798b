// Which audio types the AVI writer's pins take, and the stream format chunk
// and block figures it records for them.
#include "avi/audio_stream.h"

#include <dshow.h>
#include <mmreg.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct AudioCase {
    const char* name;
    GUID major;
    GUID format;
    WAVEFORMATEX wave;
    std::size_t blockBytes; // of the format block
    bool pcmSubFormat;      // for WAVE_FORMAT_EXTENSIBLE: PCM, else another SubFormat
    bool accepted;
};

constexpr std::size_t kWave = sizeof(WAVEFORMATEX);
constexpr std::size_t kExtensible = sizeof(WAVEFORMATEXTENSIBLE);
constexpr WORD kMp3 = 0x55;
constexpr WORD kExtra = kExtensible - kWave;

class AudioStreamTest : public testing::TestWithParam<AudioCase> {};

INSTANTIATE_TEST_SUITE_P(
    Types, AudioStreamTest,
    testing::Values(AudioCase{"Pcm",
                              MEDIATYPE_Audio,
                              FORMAT_WaveFormatEx,
                              {WAVE_FORMAT_PCM, 2, 48000, 192000, 4, 16, 0},
                              kWave,
                              false,
                              true},
                    AudioCase{"PcmBlockWrong",
                              MEDIATYPE_Audio,
                              FORMAT_WaveFormatEx,
                              {WAVE_FORMAT_PCM, 2, 48000, 192000, 2, 16, 0},
                              kWave,
                              false,
                              false},
                    AudioCase{"PcmRateWrong",
                              MEDIATYPE_Audio,
                              FORMAT_WaveFormatEx,
                              {WAVE_FORMAT_PCM, 1, 8000, 8000, 2, 16, 0},
                              kWave,
                              false,
                              false},
                    AudioCase{"Extensible",
                              MEDIATYPE_Audio,
                              FORMAT_WaveFormatEx,
                              {WAVE_FORMAT_EXTENSIBLE, 2, 44100, 264600, 6, 24, kExtra},
                              kExtensible,
                              true,
                              true},
                    AudioCase{"ExtensibleBlockWrong",
                              MEDIATYPE_Audio,
                              FORMAT_WaveFormatEx,
                              {WAVE_FORMAT_EXTENSIBLE, 2, 44100, 176400, 4, 24, kExtra},
                              kExtensible,
                              true,
                              false},
                    AudioCase{"ExtensibleShort",
                              MEDIATYPE_Audio,
                              FORMAT_WaveFormatEx,
                              {WAVE_FORMAT_EXTENSIBLE, 2, 44100, 176400, 4, 16, 2},
                              kWave + 2,
                              true,
                              false},
                    AudioCase{"ExtensibleOther",
                              MEDIATYPE_Audio,
                              FORMAT_WaveFormatEx,
                              {WAVE_FORMAT_EXTENSIBLE, 2, 44100, 20000, 1, 0, kExtra},
                              kExtensible,
                              false,
                              true},
                    AudioCase{"Compressed",
                              MEDIATYPE_Audio,
                              FORMAT_WaveFormatEx,
                              {kMp3, 2, 44100, 16000, 1, 0, 12},
                              kWave + 12,
                              false,
                              true},
                    AudioCase{"ExtraPastBlock",
                              MEDIATYPE_Audio,
                              FORMAT_WaveFormatEx,
                              {kMp3, 2, 44100, 16000, 1, 0, 12},
                              kWave + 11,
                              false,
                              false},
                    AudioCase{"NoBlock",
                              MEDIATYPE_Audio,
                              FORMAT_WaveFormatEx,
                              {kMp3, 2, 44100, 16000, 0, 0, 0},
                              kWave,
                              false,
                              false},
                    AudioCase{"NoByteRate",
                              MEDIATYPE_Audio,
                              FORMAT_WaveFormatEx,
                              {kMp3, 2, 44100, 0, 1, 0, 0},
                              kWave,
                              false,
                              false},
                    AudioCase{"ShortBlock",
                              MEDIATYPE_Audio,
                              FORMAT_WaveFormatEx,
                              {WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0},
                              kWave - 2,
                              false,
                              false},
                    AudioCase{"OtherFormatType",
                              MEDIATYPE_Audio,
                              FORMAT_VideoInfo,
                              {WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0},
                              kWave,
                              false,
                              false},
                    AudioCase{"Video",
                              MEDIATYPE_Video,
                              FORMAT_WaveFormatEx,
                              {WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0},
                              kWave,
                              false,
                              false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(AudioStreamTest, TakesWholeWaveFormatsOnly) {
    const AudioCase& c = GetParam();
    std::vector<BYTE> block(kExtensible + 16, 0x5A);
    std::memcpy(block.data(), &c.wave, kWave);
    if (c.wave.wFormatTag == WAVE_FORMAT_EXTENSIBLE) {
        auto& extensible = *reinterpret_cast<WAVEFORMATEXTENSIBLE*>(block.data());
        extensible.SubFormat =
            c.pcmSubFormat
                ? GUID{0x00000001, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}}
                : GUID_NULL;
    }
    AM_MEDIA_TYPE type{};
    type.majortype = c.major;
    type.formattype = c.format;
    type.cbFormat = static_cast<ULONG>(c.blockBytes);
    type.pbFormat = block.data();

    const std::optional<vcx::avi::AudioStream> stream = vcx::avi::readAudioStream(type);
    ASSERT_EQ(stream.has_value(), c.accepted);
    if (!c.accepted) {
        return;
    }
    EXPECT_EQ(stream->waveFormat,
              std::vector<BYTE>(block.begin(), block.begin() + kWave + c.wave.cbSize));
    EXPECT_EQ(stream->blockAlign, c.wave.nBlockAlign);
    EXPECT_EQ(stream->bytesPerSecond, c.wave.nAvgBytesPerSec);
}

} // namespace
