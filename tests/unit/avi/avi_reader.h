// An AVI reader for the tests, written apart from the writer: it walks the
// RIFF chunks and checks that every index (idx1, each ix00, the super index)
// and every count (avih, strh, dmlh) agrees with the frame chunks it finds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace avitest {

struct ReadAvi {
    std::string error; // empty when the file is consistent
    std::vector<std::vector<std::uint8_t>> frames;
    std::vector<bool> keyFrames;
    std::size_t segments = 0;
    std::size_t largestSegment = 0; // bytes of the largest RIFF chunk, header included
};

ReadAvi readAvi(const std::vector<std::uint8_t>& file);

} // namespace avitest
