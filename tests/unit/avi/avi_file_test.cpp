// The AVI layout written frame by frame into memory: the exact bytes of a
// short recording, segments past the size limit, and a failing write at
// every point of a recording.
#include "avi/avi_file.h"

#include "avi_reader.h"
#include "memory_file.h"
#include "sparse_file.h"

#include <gtest/gtest.h>

#include <cstdint>
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

// 700 frames of 8 MiB in segments of 1 GiB, 127 frames each: the fifth
// segment crosses 4 GiB, the sixth starts past it. The file keeps the bytes
// of headers and indices only.
TEST(AviFileTest, OffsetsPastFourGibStayWhole) {
    constexpr int kFrames = 700;
    constexpr DWORD kFrameBytes = (DWORD{8} << 20) + 1;
    avitest::SparseFile file(kFrameBytes);
    AviFile avi(file, AviLimits{});
    const std::vector<std::uint8_t> frame(kFrameBytes, 0x5A);
    ASSERT_EQ(avi.begin(smallStream()), S_OK);
    for (int i = 0; i < kFrames; ++i) {
        ASSERT_EQ(avi.addFrame(frame.data(), kFrameBytes, i % 5 == 0), S_OK) << i;
    }
    ASSERT_EQ(avi.finish(), S_OK);
    EXPECT_GT(file.size(), ULONGLONG{5} << 30);
    const avitest::ReadAvi read = avitest::readAvi(file);
    ASSERT_EQ(read.error, "");
    EXPECT_EQ(read.frameSizes, std::vector<std::uint32_t>(kFrames, kFrameBytes));
    EXPECT_EQ(read.segments, 6u);
    EXPECT_LE(read.largestSegment, AviLimits{}.segmentBytes);
    ASSERT_EQ(read.keyFrames.size(), std::size_t{kFrames});
    for (std::size_t i = 0; i < read.keyFrames.size(); ++i) {
        EXPECT_EQ(read.keyFrames[i], i % 5 == 0) << i;
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

// Records frames of these sizes (some larger than the buffer, some odd) into
// segments of 1500 bytes, with write number failingWrite failing after taking
// half its bytes, or every write failing from failAllFrom on. Returns the
// frames that were added without failure.
struct Recording {
    std::vector<std::vector<std::uint8_t>> added;
    HRESULT finish = E_FAIL;
};

Recording recordWithFailures(avitest::MemoryFile& file) {
    AviLimits limits;
    limits.segmentBytes = 1500;
    limits.superIndexEntries = 8;
    limits.bufferBytes = 128;
    AviFile avi(file, limits);
    Recording recording;
    if (avi.begin(smallStream()) == S_OK) {
        const std::size_t sizes[] = {300, 7, 130, 64, 500, 129, 600, 3, 400, 250, 90, 777};
        for (std::size_t i = 0; i < std::size(sizes); ++i) {
            const std::vector<std::uint8_t> frame = frameBytes(sizes[i], static_cast<int>(i));
            if (avi.addFrame(frame.data(), static_cast<DWORD>(frame.size()), true) != S_OK) {
                break;
            }
            recording.added.push_back(frame);
        }
    }
    recording.finish = avi.finish();
    return recording;
}

TEST(AviFileFailureTest, AnyFailedWriteLeavesAValidFileOfTheFramesBeforeIt) {
    avitest::MemoryFile clean;
    const Recording full = recordWithFailures(clean);
    ASSERT_EQ(full.finish, S_OK);
    ASSERT_EQ(full.added.size(), 12u);
    ASSERT_EQ(avitest::readAvi(clean.bytes()).segments, 4u);
    for (int failing = 0; failing < clean.writes(); ++failing) {
        avitest::MemoryFile file;
        file.failingWrites = {failing};
        const Recording recording = recordWithFailures(file);
        ASSERT_EQ(recording.finish, S_OK) << "write " << failing;
        const avitest::ReadAvi read = avitest::readAvi(file.bytes());
        ASSERT_EQ(read.error, "") << "write " << failing;
        // Only the frame in flight when the write failed may be missing.
        ASSERT_LE(read.frames.size(), recording.added.size()) << "write " << failing;
        ASSERT_GE(read.frames.size() + 1, recording.added.size()) << "write " << failing;
        EXPECT_TRUE(std::equal(read.frames.begin(), read.frames.end(), recording.added.begin()))
            << "write " << failing;
    }
}

TEST(AviFileFailureTest, AFileThatTakesNothingMoreFailsTheFinish) {
    avitest::MemoryFile file;
    file.failAllFrom = 3;
    EXPECT_EQ(recordWithFailures(file).finish, HRESULT_FROM_WIN32(ERROR_HANDLE_DISK_FULL));
}

} // namespace
