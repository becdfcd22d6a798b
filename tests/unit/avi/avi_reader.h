// An AVI reader for the tests, written apart from the writer: it walks the
// RIFF chunks and checks that every index (idx1, each stream's standard
// indices and super index) and every count (avih, strh, dmlh) agrees with
// the chunks it finds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace avitest {

// The bytes of a file to read, one at a time.
class AviBytes {
  public:
    virtual ~AviBytes() = default;
    virtual std::uint64_t size() const = 0;
    virtual std::uint8_t at(std::uint64_t offset) const = 0;
};

// One stream: its headers and its chunks in order.
struct ReadStream {
    std::string type; // strh fccType: "vids" or "auds"
    std::uint32_t handler = 0;
    std::uint32_t scale = 0;
    std::uint32_t rate = 0;
    std::uint32_t start = 0;
    std::uint32_t length = 0;
    std::uint32_t sampleSize = 0;
    std::vector<std::uint8_t> format;              // strf
    std::vector<std::vector<std::uint8_t>> chunks; // only when read from a vector
    std::vector<std::uint32_t> sizes;
    std::vector<bool> keyFrames;
};

struct ReadAvi {
    std::string error; // empty when the file is consistent
    std::vector<ReadStream> streams;
    // The first stream's chunks (the video's, when there is video).
    std::vector<std::vector<std::uint8_t>> frames;
    std::vector<std::uint32_t> frameSizes;
    std::vector<bool> keyFrames;
    // Each chunk's stream number, in file order ("0010...").
    std::string order;
    std::uint32_t microSecPerFrame = 0; // avih
    std::size_t segments = 0;
    std::uint64_t largestSegment = 0; // bytes of the largest RIFF chunk, header included
};

ReadAvi readAvi(const std::vector<std::uint8_t>& file);
// The same without the chunks' bytes, for files too large to hold.
ReadAvi readAvi(const AviBytes& file);

// A stream's chunks joined (an audio stream's bytes).
std::vector<std::uint8_t> joined(const ReadStream& stream);

} // namespace avitest
