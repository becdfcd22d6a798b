// An AVI reader for the tests, written apart from the writer: it walks the
// RIFF chunks and checks that every index (idx1, each ix00, the super index)
// and every count (avih, strh, dmlh) agrees with the frame chunks it finds.
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

struct ReadAvi {
    std::string error;                             // empty when the file is consistent
    std::vector<std::vector<std::uint8_t>> frames; // only when read from a vector
    std::vector<std::uint32_t> frameSizes;
    std::vector<bool> keyFrames;
    std::size_t segments = 0;
    std::uint64_t largestSegment = 0; // bytes of the largest RIFF chunk, header included
};

ReadAvi readAvi(const std::vector<std::uint8_t>& file);
// The same without the frames' bytes, for files too large to hold.
ReadAvi readAvi(const AviBytes& file);

} // namespace avitest
