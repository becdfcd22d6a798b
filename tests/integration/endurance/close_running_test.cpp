// Closing slots while they run, again and again, in every output mode that
// works on Wine (0, 2, 6, 300, 301; Wine's VMR-7 refuses mode 1): close stops
// the graph and gives everything back, a recording is finished rather than
// cut off, and handles, threads and memory grow no more than Wine's own for
// as many captures of the same renderer without the library (measured
// alongside), plus 8 handles and 64 KiB of heap.
#include <gtest/gtest.h>

#include "endurance_support.h"
#include "harness.h"
#include "library.h"
#include "vcxcap.h"

#include <windows.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr long kWidth = 160;
constexpr long kHeight = 120;
constexpr const wchar_t* kCamera = L"Closing camera";

struct ModeCase {
    const char* name;
    int mode;
    bool records;                 // AVI file output
    vcx_intptr vmr9;              // rendering mode and number of streams of the VMR-9
    endurance::Renderer renderer; // what renders the preview
    int cycles;                   // Wine takes 2 s to release a windowed renderer
};

std::uint32_t readU32(const std::vector<char>& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    }
    return value;
}

// A finished AVI file: its RIFF chunk spans the file exactly and its main
// header counts at least one frame.
void expectFinishedAvi(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), {}};
    ASSERT_GE(bytes.size(), 256u) << harness::narrow(path);
    EXPECT_EQ(std::string(bytes.data(), 4), "RIFF");
    EXPECT_EQ(std::string(bytes.data() + 8, 4), "AVI ");
    EXPECT_EQ(readU32(bytes, 4) + 8, bytes.size()) << "RIFF size of " << harness::narrow(path);
    const std::size_t avih = std::string(bytes.data(), 256).find("avih");
    ASSERT_NE(avih, std::string::npos);
    EXPECT_GE(readU32(bytes, avih + 8 + 16), 1u) << "frames in " << harness::narrow(path);
}

class CloseWhileRunning : public endurance::LibraryTest<::testing::TestWithParam<ModeCase>> {
  protected:
    static void SetUpTestSuite() {
        harness::configureCameras({{kCamera, {endurance::formatLine(kWidth, kHeight, 30)}}});
    }

    // Opens, runs until the camera's picture is there, closes without stopping.
    static void cycle() {
        const ModeCase& row = GetParam();
        const std::wstring file = harness::programFolder() + L"vcxcap_close_running.avi";
        DeleteFileW(file.c_str());
        const vcx_intptr first =
            row.records ? reinterpret_cast<vcx_intptr>(file.c_str()) : row.vmr9;
        ASSERT_EQ(vcx_Open(0, row.mode, 0, first, row.records ? 0 : row.vmr9), 0);
        ASSERT_GE(vcx_Play2(), 0);
        EXPECT_EQ(vcx_GetState(), 2);
        EXPECT_TRUE(endurance::isCameraPicture(endurance::grabFrame(), kWidth, kHeight));
        ASSERT_EQ(vcx_Close(), 0);
        EXPECT_EQ(vcx_GetRef(), 0);
        EXPECT_EQ(vcx_GetState(), -1);
        if (row.records) {
            expectFinishedAvi(file);
            DeleteFileW(file.c_str());
        }
    }
};

TEST_P(CloseWhileRunning, GivesEverythingBack) {
    const ModeCase& row = GetParam();
    const endurance::Counters growth = endurance::growthOver(row.cycles, [] { cycle(); });
    ASSERT_FALSE(HasFailure());
    const endurance::Counters bare =
        endurance::growthOver(row.cycles, [&] { endurance::bareCapture(kCamera, row.renderer); });
    const std::string cycles = " over " + std::to_string(row.cycles) + " cycles";
    endurance::report(std::string(row.name) + cycles, growth);
    endurance::report(std::string(row.name) + ", Wine alone" + cycles, bare);
    EXPECT_LE(growth.threads, bare.threads + 2);
    EXPECT_LE(growth.handles, bare.handles + 8);
    EXPECT_LE(growth.heapBytes, bare.heapBytes + 65536);
}

using endurance::Renderer;
INSTANTIATE_TEST_SUITE_P(
    Modes, CloseWhileRunning,
    ::testing::Values(ModeCase{"VideoRenderer", 0, false, 0, Renderer::Video, 2},
                      ModeCase{"Vmr9", 2, false, 1, Renderer::Vmr9, 2},
                      ModeCase{"NullRenderer", 6, false, 0, Renderer::Null, 10},
                      ModeCase{"AviFile", 300, true, 0, Renderer::Null, 10},
                      ModeCase{"AviFileWithPreview", 301, true, 0, Renderer::Video, 2}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
