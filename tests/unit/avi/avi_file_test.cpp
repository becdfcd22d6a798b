// The AVI layout written frame by frame into memory: the exact bytes of a
// short recording, segments past the size limit, and a failing write at
// every point of a recording.
#include "avi/avi_file.h"

#include "avi_reader.h"
#include "memory_file.h"
#include "sparse_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {

using vcx::avi::AviFile;
using vcx::avi::AviLimits;
using vcx::avi::VideoStream;

// Bytes of a file as expected, field by field, little-endian.
class Expected {
  public:
    Expected& u16(std::uint16_t v) {
        bytes.push_back(static_cast<std::uint8_t>(v));
        bytes.push_back(static_cast<std::uint8_t>(v >> 8));
        return *this;
    }
    Expected& u32(std::uint32_t v) { return u16(static_cast<std::uint16_t>(v)).u16(v >> 16); }
    Expected& u64(std::uint64_t v) { return u32(static_cast<std::uint32_t>(v)).u32(v >> 32); }
    Expected& id(const char (&text)[5]) {
        bytes.insert(bytes.end(), text, text + 4);
        return *this;
    }
    Expected& zeros(std::size_t count) {
        bytes.insert(bytes.end(), count, 0);
        return *this;
    }
    Expected& data(const std::vector<std::uint8_t>& more) {
        bytes.insert(bytes.end(), more.begin(), more.end());
        return *this;
    }
    std::vector<std::uint8_t> bytes;
};

// 2x2 RGB24 at 25 frames per second.
VideoStream smallStream() {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = 2;
    header.biHeight = 2;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = 16;
    VideoStream stream;
    const auto* first = reinterpret_cast<const std::uint8_t*>(&header);
    stream.bitmapInfo.assign(first, first + sizeof(header));
    stream.width = 2;
    stream.height = 2;
    stream.frameInterval = 400'000;
    return stream;
}

std::vector<std::uint8_t> frameBytes(std::size_t size, int seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(seed * 31 + i);
    }
    return bytes;
}

TEST(AviFileTest, ShortRecordingByteByByte) {
    avitest::MemoryFile file;
    AviLimits limits;
    limits.superIndexEntries = 2;
    limits.bufferBytes = 64;
    AviFile avi(file, limits);
    const std::vector<std::uint8_t> f0 = frameBytes(6, 0), f1 = frameBytes(5, 1),
                                    f2 = frameBytes(4, 2);
    ASSERT_EQ(avi.begin(smallStream()), S_OK);
    ASSERT_EQ(avi.addFrame(f0.data(), 6, true), S_OK);
    ASSERT_EQ(avi.addFrame(f1.data(), 5, false), S_OK);
    ASSERT_EQ(avi.addFrame(f2.data(), 4, true), S_OK);
    ASSERT_EQ(avi.finish(), S_OK);

    Expected e;
    e.id("RIFF").u32(700).id("AVI ");
    e.id("LIST").u32(524).id("hdrl");
    e.id("avih").u32(56).u32(40'000).u32(150).u32(0).u32(0x110).u32(3).u32(0).u32(1).u32(6);
    e.u32(2).u32(2).zeros(16);
    e.id("LIST").u32(180).id("strl");
    e.id("strh").u32(56).id("vids").u32(0).u32(0).u16(0).u16(0).u32(0).u32(1).u32(25).u32(0);
    e.u32(3).u32(6).u32(0xFFFFFFFF).u32(0).u16(0).u16(0).u16(2).u16(2);
    e.id("strf").u32(40).u32(40).u32(2).u32(2).u16(1).u16(24).u32(0).u32(16).zeros(16);
    e.id("indx").u32(56).u16(4).u16(0).u32(1).id("00dc").zeros(12);
    e.u64(596).u32(56).u32(3).zeros(16);
    e.id("LIST").u32(260).id("odml").id("dmlh").u32(248).u32(3).zeros(244);
    e.id("LIST").u32(100).id("movi");
    e.id("00dc").u32(6).data(f0);
    e.id("00dc").u32(5).data(f1).zeros(1);
    e.id("00dc").u32(4).data(f2);
    e.id("ix00").u32(48).u16(2).u16(0x0100).u32(3).id("00dc").u64(552).u32(0);
    e.u32(12).u32(6).u32(26).u32(0x80000005).u32(40).u32(4);
    e.id("idx1").u32(48);
    e.id("00dc").u32(0x10).u32(4).u32(6);
    e.id("00dc").u32(0).u32(18).u32(5);
    e.id("00dc").u32(0x10).u32(32).u32(4);
    EXPECT_EQ(file.bytes(), e.bytes);
}

// 8 kHz mono 16-bit PCM.
vcx::avi::AudioStream pcmStream() {
    WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0};
    vcx::avi::AudioStream stream;
    const auto* first = reinterpret_cast<const std::uint8_t*>(&format);
    stream.waveFormat.assign(first, first + sizeof(format));
    stream.blockAlign = 2;
    stream.bytesPerSecond = 16000;
    return stream;
}

struct LargeCase {
    const char* name;
    // A chunk of audio after every frame, a drop chunk before every tenth, and
    // a lead of 10 drop chunks (30 reserved).
    bool audio;
};

class AviLargeFileTest : public testing::TestWithParam<LargeCase> {};

INSTANTIATE_TEST_SUITE_P(Streams, AviLargeFileTest,
                         testing::Values(LargeCase{"VideoOnly", false},
                                         LargeCase{"VideoAudioAndDrops", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// 700 frames of 8 MiB in segments of 1 GiB, 127 frames each: the fifth
// segment crosses 4 GiB, the sixth starts past it. The file keeps the bytes
// of headers, indices and audio only.
TEST_P(AviLargeFileTest, OffsetsPastFourGibStayWhole) {
    constexpr int kFrames = 700;
    constexpr DWORD kFrameBytes = (DWORD{8} << 20) + 1;
    constexpr DWORD kAudioBytes = 3200;
    const bool audio = GetParam().audio;
    avitest::SparseFile file(kFrameBytes);
    AviFile avi(file, AviLimits{});
    const std::vector<std::uint8_t> frame(kFrameBytes, 0x5A);
    ASSERT_EQ(avi.begin(smallStream(), audio ? std::optional(pcmStream()) : std::nullopt), S_OK);
    std::vector<std::uint32_t> sizes;
    if (audio) {
        ASSERT_EQ(avi.reserveVideoLead(30), S_OK);
        avi.settleVideoLead(10);
        sizes.assign(10, 0);
    }
    for (int i = 0; i < kFrames; ++i) {
        if (audio && i % 10 == 9) {
            ASSERT_EQ(avi.addDropFrame(), S_OK) << i;
            sizes.push_back(0);
        }
        ASSERT_EQ(avi.addFrame(frame.data(), kFrameBytes, i % 5 == 0), S_OK) << i;
        sizes.push_back(kFrameBytes);
        if (audio) {
            const std::vector<std::uint8_t> samples = frameBytes(kAudioBytes, i);
            ASSERT_EQ(avi.addAudio(samples.data(), kAudioBytes), S_OK) << i;
        }
    }
    ASSERT_EQ(avi.finish(), S_OK);
    EXPECT_GT(file.size(), ULONGLONG{5} << 30);
    const avitest::ReadAvi read = avitest::readAvi(file);
    ASSERT_EQ(read.error, "");
    EXPECT_EQ(read.frameSizes, sizes);
    EXPECT_EQ(read.segments, 6u);
    EXPECT_LE(read.largestSegment, AviLimits{}.segmentBytes);
    ASSERT_EQ(read.keyFrames.size(), sizes.size());
    for (std::size_t i = 0, frameNumber = 0; i < read.keyFrames.size(); ++i) {
        EXPECT_EQ(read.keyFrames[i], sizes[i] != 0 && frameNumber % 5 == 0) << i;
        frameNumber += sizes[i] != 0 ? 1 : 0;
    }
    ASSERT_EQ(read.streams.size(), audio ? 2u : 1u);
    if (audio) {
        EXPECT_EQ(read.streams[1].sizes, std::vector<std::uint32_t>(kFrames, kAudioBytes));
        EXPECT_EQ(read.streams[1].length, kFrames * kAudioBytes / 2);
    }
}

// Recordings of chunks in the order a script gives: v a frame (its key
// flag alternating), d a drop chunk, a audio; then the timing the header records.
struct MixCase {
    const char* name;
    bool video;
    bool audio;
    const char* script;
    REFERENCE_TIME interval; // set with setVideoTiming when not 0
    DWORD videoStart;
    DWORD audioStart;
    // The header's video rate / scale and avih's microseconds per frame.
    DWORD rate;
    DWORD scale;
    DWORD microSecPerFrame;
    DWORD lead = 0; // drop chunks reserved ahead of the video
    DWORD kept = 0; // of them, kept
};

class AviMixTest : public testing::TestWithParam<MixCase> {};

INSTANTIATE_TEST_SUITE_P(
    Streams, AviMixTest,
    testing::Values(MixCase{"VideoOnly", true, false, "vvdv", 0, 0, 0, 25, 1, 40'000},
                    MixCase{"Interleaved", true, true, "avavdvaav", 0, 0, 7, 25, 1, 40'000},
                    MixCase{"VideoStartsLater", true, true, "aavav", 500'000, 3, 0, 20, 1, 50'000},
                    MixCase{"MeasuredRate", true, true, "vavddva", 333'367, 0, 1234, 10'000'000,
                            333'367, 33'337},
                    MixCase{"AudioOnly", false, true, "aaa", 0, 0, 5, 0, 0, 0},
                    MixCase{"VideoLead", true, true, "aavav", 0, 0, 0, 25, 1, 40'000, 5, 2},
                    MixCase{"VideoLeadNoneKept", true, true, "vava", 0, 0, 0, 25, 1, 40'000, 3, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(AviMixTest, EveryStreamReadsBackWithItsHeaderAndIndices) {
    const MixCase& c = GetParam();
    avitest::MemoryFile file;
    AviLimits limits;
    limits.superIndexEntries = 2;
    limits.bufferBytes = 64;
    AviFile avi(file, limits);
    ASSERT_EQ(avi.begin(c.video ? std::optional(smallStream()) : std::nullopt,
                        c.audio ? std::optional(pcmStream()) : std::nullopt),
              S_OK);
    if (c.lead != 0) {
        ASSERT_EQ(avi.reserveVideoLead(c.lead), S_OK);
    }
    std::vector<std::vector<std::uint8_t>> video;
    std::vector<bool> keys;
    std::vector<std::uint8_t> audio;
    std::string order;
    const char videoNumber = '0';
    const char audioNumber = c.video ? '1' : '0';
    for (int i = 0; c.script[i] != '\0'; ++i) {
        const std::vector<std::uint8_t> bytes = frameBytes(static_cast<std::size_t>(5 + i), i);
        const auto size = static_cast<DWORD>(bytes.size());
        switch (c.script[i]) {
        case 'v':
            ASSERT_EQ(avi.addFrame(bytes.data(), size, video.size() % 2 == 0), S_OK);
            keys.push_back(video.size() % 2 == 0);
            video.push_back(bytes);
            order += videoNumber;
            break;
        case 'd':
            ASSERT_EQ(avi.addDropFrame(), S_OK);
            keys.push_back(false);
            video.emplace_back();
            order += videoNumber;
            break;
        default:
            ASSERT_EQ(avi.addAudio(bytes.data(), size), S_OK);
            audio.insert(audio.end(), bytes.begin(), bytes.end());
            order += audioNumber;
        }
    }
    if (c.lead != 0) {
        avi.settleVideoLead(c.kept);
        avi.settleVideoLead(c.kept + 1); // only the first counts
        video.insert(video.begin(), c.kept, std::vector<std::uint8_t>{});
        keys.insert(keys.begin(), c.kept, false);
        order.insert(0, c.kept, videoNumber);
    }
    EXPECT_EQ(avi.videoLead(), std::optional<DWORD>(c.kept));
    if (c.interval != 0) {
        avi.setVideoTiming(c.interval, c.videoStart);
    }
    avi.setAudioStart(c.audioStart);
    EXPECT_EQ(avi.frames(), video.size());
    ASSERT_EQ(avi.finish(), S_OK);

    const avitest::ReadAvi read = avitest::readAvi(file.bytes());
    ASSERT_EQ(read.error, "");
    EXPECT_EQ(read.order, order);
    ASSERT_EQ(read.streams.size(), (c.video ? 1u : 0u) + (c.audio ? 1u : 0u));
    EXPECT_EQ(read.microSecPerFrame, c.microSecPerFrame);
    if (c.video) {
        const avitest::ReadStream& v = read.streams[0];
        EXPECT_EQ(v.type, "vids");
        EXPECT_EQ(v.chunks, video);
        EXPECT_EQ(v.keyFrames, keys);
        EXPECT_EQ(v.rate, c.rate);
        EXPECT_EQ(v.scale, c.scale);
        EXPECT_EQ(v.start, c.videoStart);
        EXPECT_EQ(v.sampleSize, 0u);
    }
    if (c.audio) {
        const avitest::ReadStream& a = read.streams.back();
        EXPECT_EQ(a.type, "auds");
        EXPECT_EQ(avitest::joined(a), audio);
        EXPECT_EQ(a.keyFrames, std::vector<bool>(a.chunks.size(), true));
        EXPECT_EQ(a.format, pcmStream().waveFormat);
        EXPECT_EQ(a.scale, 2u);
        EXPECT_EQ(a.rate, 16000u);
        EXPECT_EQ(a.sampleSize, 2u);
        EXPECT_EQ(a.start, c.audioStart);
        EXPECT_EQ(a.length, audio.size() / 2);
    }
}

struct SegmentCase {
    const char* name;
    std::size_t frameSize;
    int frames;
    int framesWritten; // the rest fail with ERROR_FILE_TOO_LARGE
    std::size_t segments;
};

class AviSegmentTest : public testing::TestWithParam<SegmentCase> {};

// Header 588 bytes; frames of 100 bytes take 108 with their chunk header:
// 6 fit the first segment of 1500 bytes with both indices, 12 each further one.
INSTANTIATE_TEST_SUITE_P(Limits, AviSegmentTest,
                         testing::Values(SegmentCase{"OneSegment", 100, 6, 6, 1},
                                         SegmentCase{"SecondSegment", 100, 7, 7, 2},
                                         SegmentCase{"ThreeSegments", 100, 20, 20, 3},
                                         SegmentCase{"OddSizes", 101, 20, 20, 3},
                                         SegmentCase{"SuperIndexFull", 100, 43, 42, 4},
                                         SegmentCase{"FrameLargerThanSegment", 1500, 2, 0, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(AviSegmentTest, SegmentsStayWithinTheLimitAndKeepEveryFrame) {
    const SegmentCase& c = GetParam();
    avitest::MemoryFile file;
    AviLimits limits;
    limits.segmentBytes = 1500;
    limits.superIndexEntries = 4;
    limits.bufferBytes = 256;
    AviFile avi(file, limits);
    ASSERT_EQ(avi.begin(smallStream()), S_OK);
    std::vector<std::vector<std::uint8_t>> written;
    for (int i = 0; i < c.frames; ++i) {
        const std::vector<std::uint8_t> frame = frameBytes(c.frameSize, i);
        const HRESULT hr = avi.addFrame(frame.data(), static_cast<DWORD>(frame.size()), i % 3 == 0);
        EXPECT_EQ(hr, i < c.framesWritten ? S_OK : HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE)) << i;
        if (hr == S_OK) {
            written.push_back(frame);
        }
    }
    ASSERT_EQ(avi.finish(), S_OK);
    const avitest::ReadAvi read = avitest::readAvi(file.bytes());
    ASSERT_EQ(read.error, "");
    EXPECT_EQ(read.frames, written);
    EXPECT_EQ(read.segments, c.segments);
    EXPECT_LE(read.largestSegment, limits.segmentBytes);
    for (std::size_t i = 0; i < read.keyFrames.size(); ++i) {
        EXPECT_EQ(read.keyFrames[i], i % 3 == 0) << i;
    }
}

// Records chunks of these kinds and sizes (some larger than the buffer, some
// odd; no two that fit the buffer together follow each other, nor a small
// one the pad byte of an odd one, so a failed flush loses one chunk at most) into segments of 1500
// bytes, with write number failingWrite failing after taking half its bytes, or every write failing
// from failAllFrom on. Returns the chunks that were added without failure, as the stream numbers in
// order and each stream's bytes, the video's lead included.
struct Recording {
    std::string order;
    std::vector<std::vector<std::uint8_t>> frames;
    std::vector<std::uint8_t> audio;
    HRESULT finish = E_FAIL;
};

Recording recordWithFailures(avitest::MemoryFile& file) {
    AviLimits limits;
    limits.segmentBytes = 1500;
    limits.superIndexEntries = 8;
    limits.bufferBytes = 128;
    AviFile avi(file, limits);
    Recording recording;
    struct Step {
        char kind; // v frame, d drop chunk, a audio
        std::size_t size;
    };
    const Step steps[] = {{'v', 300}, {'a', 200}, {'v', 7},   {'a', 150}, {'v', 130}, {'d', 0},
                          {'v', 500}, {'a', 121}, {'v', 64},  {'a', 300}, {'d', 0},   {'v', 129},
                          {'v', 600}, {'v', 3},   {'a', 200}, {'v', 400}, {'d', 0},   {'v', 250},
                          {'a', 128}, {'v', 90},  {'a', 160}, {'v', 777}};
    // A lead of 6 drop chunks, 2 of them kept once the first chunk is in.
    if (avi.begin(smallStream(), pcmStream()) == S_OK && avi.reserveVideoLead(6) == S_OK) {
        for (std::size_t i = 0; i < std::size(steps); ++i) {
            if (i == 1) {
                avi.settleVideoLead(2);
                recording.order.insert(0, "00");
                recording.frames.insert(recording.frames.begin(), 2, {});
            }
            const std::vector<std::uint8_t> bytes = frameBytes(steps[i].size, static_cast<int>(i));
            const auto size = static_cast<DWORD>(bytes.size());
            const HRESULT hr = steps[i].kind == 'a'   ? avi.addAudio(bytes.data(), size)
                               : steps[i].kind == 'd' ? avi.addDropFrame()
                                                      : avi.addFrame(bytes.data(), size, true);
            if (hr != S_OK) {
                break;
            }
            recording.order += steps[i].kind == 'a' ? '1' : '0';
            if (steps[i].kind == 'a') {
                recording.audio.insert(recording.audio.end(), bytes.begin(), bytes.end());
            } else {
                recording.frames.push_back(bytes);
            }
        }
    }
    recording.finish = avi.finish();
    return recording;
}

TEST(AviFileFailureTest, AnyFailedWriteLeavesAValidFileOfTheChunksBeforeIt) {
    avitest::MemoryFile clean;
    const Recording full = recordWithFailures(clean);
    ASSERT_EQ(full.finish, S_OK);
    ASSERT_EQ(full.order.size(), 24u);
    ASSERT_EQ(avitest::readAvi(clean.bytes()).order, full.order);
    ASSERT_GE(avitest::readAvi(clean.bytes()).segments, 4u);
    for (int failing = 0; failing < clean.writes(); ++failing) {
        avitest::MemoryFile file;
        file.failingWrites = {failing};
        const Recording recording = recordWithFailures(file);
        ASSERT_EQ(recording.finish, S_OK) << "write " << failing;
        const avitest::ReadAvi read = avitest::readAvi(file.bytes());
        ASSERT_EQ(read.error, "") << "write " << failing;
        // Only the chunk in flight when the write failed may be missing.
        ASSERT_EQ(recording.order.compare(0, read.order.size(), read.order), 0)
            << "write " << failing;
        ASSERT_GE(read.order.size() + 1, recording.order.size()) << "write " << failing;
        EXPECT_TRUE(std::equal(read.frames.begin(), read.frames.end(), recording.frames.begin()))
            << "write " << failing;
        const std::vector<std::uint8_t> audio = read.streams.size() > 1
                                                    ? avitest::joined(read.streams[1])
                                                    : std::vector<std::uint8_t>{};
        EXPECT_TRUE(std::equal(audio.begin(), audio.end(), recording.audio.begin()))
            << "write " << failing;
    }
}

TEST(AviFileFailureTest, AFileThatTakesNothingMoreFailsTheFinish) {
    avitest::MemoryFile file;
    file.failAllFrom = 3;
    EXPECT_EQ(recordWithFailures(file).finish, HRESULT_FROM_WIN32(ERROR_HANDLE_DISK_FULL));
}

} // namespace
