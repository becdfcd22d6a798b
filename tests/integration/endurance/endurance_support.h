// What the endurance and load tests share: the process's counters before and
// after long work, and the newest frame of a slot checked against its camera.
#pragma once

#include "harness.h"
#include "library.h"
#include "vcxcap.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace endurance {

// A test of the library on vcxcam cameras: the library initialised for each
// test and reset after it, the default camera back after the suite (which
// configures its own cameras in SetUpTestSuite).
template <class Base = ::testing::Test> class LibraryTest : public Base {
  protected:
    static void TearDownTestSuite() { harness::restoreDefaultCameras(); }
    void SetUp() override { ASSERT_EQ(vcx_Init(), 0); }
    void TearDown() override { harness::resetLibrary(); }
};

// Handles, threads, heap bytes in use and private bytes of the process.
struct Counters {
    std::ptrdiff_t handles;
    std::ptrdiff_t threads;
    std::ptrdiff_t heapBytes;
    std::ptrdiff_t privateBytes;
};

// The counters once the platform's own threads have settled.
Counters readCounters();
Counters operator-(const Counters& later, const Counters& earlier);
// "handles 123, threads 4, heap 567 bytes, private 890 bytes", printed as
// "endurance: <when>: ..." for the log.
std::string describe(const Counters& counters);
void report(const std::string& when, const Counters& counters);

// Runs cycle once (so that what the platform makes once per process exists),
// then cycles times more, and returns how the counters grew over the latter.
template <class Cycle> Counters growthOver(int cycles, Cycle cycle) {
    cycle();
    const Counters start = readCounters();
    for (int done = 0; done < cycles; ++done) {
        cycle();
    }
    return readCounters() - start;
}

// The renderers a capture graph can end in.
enum class Renderer { Null, Video, Vmr9 };

// One capture with the platform alone, for what it keeps of its own: the
// camera of that friendly name bound through the device enumerator, its
// preview rendered through a Sample Grabber (RGB24) into the renderer (the
// VMR-9 windowed, one stream) by Capture Graph Builder 2, run until the
// grabber holds a frame, and everything released while it runs.
void bareCapture(const std::wstring& camera, Renderer renderer);

// The newest frame of the active slot through vcx_GetImageMem, waiting up to
// timeoutMs for the first; result is what the export last answered.
struct Frame {
    int result = 0;
    std::vector<std::uint8_t> bits;
    BITMAPINFOHEADER header{};
};
Frame grabFrame(DWORD timeoutMs = 5000);

// Whether frame is a picture of a camera streaming width x height (positive:
// bottom-up): its header's size and its bits, for some frame number.
bool isCameraPicture(const Frame& frame, long width, long height);

// Format lines of vcxcam ("160x120@30").
std::wstring formatLine(int width, int height, int fps);

} // namespace endurance
