// What holds for any camera, through the public header only: run against the
// devices the runner names (VCX_TEST_CAMERAS: index and the rate the device
// was set to) and the picture they show (VCX_TEST_PICTURE): vcxcam in the
// x86_64 tree, the kernel's vivid driver through Wine's own capture filter in
// a guest (scripts/vivid-lane.sh). Works in the current folder, where it
// leaves a snapshot per device (snapshot-device<N>-<W>x<H>.bmp) and AVI files
// (recording-*.avi, with a .expect of "WALL_SECONDS FRAMES FPS" for those
// whose duration must match the wall time) for check-any-camera.sh to read
// with independent tools.
#include <gtest/gtest.h>

#include "camera_under_test.h"
#include "clock.h"
#include "first_frame.h"
#include "harness.h"
#include "library.h"
#include "vcxcap.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using anycam::Camera;
using anycam::Frame;
using harness::seconds;

constexpr int kNullRenderer = 6;
constexpr int kAviWithNullPreview = 300;
constexpr int kAviWithPreview = 301;
constexpr int kManual = VCX_CONTROL_MANUAL;
constexpr int kTimedOut = -3;
// A guest under emulation starts a stream slowly; a frame wait is generous.
constexpr int kFrameWaitMs = 10000;

// The lines of a name list read with its size query.
std::vector<std::string> listLines(int size, const std::function<int(char*)>& read) {
    if (size <= 0) {
        ADD_FAILURE() << "the size query answered " << size;
        return {};
    }
    std::vector<char> buffer(static_cast<std::size_t>(size), '\0');
    EXPECT_GE(read(buffer.data()), 0);
    const std::string text = buffer.data();
    EXPECT_EQ(text.size() + 1, buffer.size()) << "the size query and the list disagree";
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

// The three format lists of the open slot: rates, widths, heights.
std::array<std::vector<std::string>, 3> formatLists() {
    std::array<std::vector<char>, 3> buffers;
    for (int list = 0; list < 3; ++list) {
        const int size = vcx_GetDevCapConfigSize(list);
        EXPECT_GT(size, 0);
        buffers[list].assign(size > 0 ? static_cast<std::size_t>(size) : 1, '\0');
    }
    EXPECT_EQ(vcx_GetDevCapConfig(buffers[0].data(), buffers[1].data(), buffers[2].data()), 0);
    std::array<std::vector<std::string>, 3> lists;
    for (int list = 0; list < 3; ++list) {
        const std::vector<char>& buffer = buffers[list];
        lists[list] = listLines(static_cast<int>(buffer.size()), [&](char* out) {
            std::memcpy(out, buffer.data(), buffer.size());
            return 0;
        });
    }
    return lists;
}

// The next frame numbered above after, copied by vcx_GetNextFrame; number 0
// (and a failure) when none came.
Frame nextFrame(int after) {
    Frame frame;
    const int size = vcx_GetImageMemSize(0);
    if (size <= 0) {
        ADD_FAILURE() << "vcx_GetImageMemSize(0) answered " << size;
        return frame;
    }
    frame.bits.resize(static_cast<std::size_t>(size));
    int copied = size;
    std::array<std::uint8_t, 44> header{};
    const int number =
        vcx_GetNextFrame(after, kFrameWaitMs, frame.bits.data(), &copied, header.data());
    if (number <= after) {
        ADD_FAILURE() << "vcx_GetNextFrame(" << after << ") answered " << number;
        return frame;
    }
    frame.number = number;
    frame.bits.resize(static_cast<std::size_t>(copied));
    std::memcpy(&frame.header, header.data(), sizeof frame.header);
    return frame;
}

// Waits for frames more frames and returns the newest one's number: the
// frames in flight when something changed have gone by then.
int afterFrames(int frames) {
    int last = vcx_GetFrameCount();
    for (const int target = last + frames; last < target;) {
        const int number = vcx_WaitFrame(last, kFrameWaitMs);
        if (number <= last) {
            ADD_FAILURE() << "vcx_WaitFrame(" << last << ") answered " << number;
            break;
        }
        last = number;
    }
    return last;
}

class AnyCamera : public ::testing::TestWithParam<Camera> {
  protected:
    void SetUp() override { ASSERT_EQ(vcx_Init(), 0); }
    void TearDown() override {
        harness::resetLibrary();
        harness::forgetRequestedFormat();
    }

    int index() const { return GetParam().index; }
    double fps() const { return GetParam().fps; }
    std::string device() const { return "device" + std::to_string(index()); }

    // Runs the open slot until its first frame; that frame's number in first_.
    void runToFirstFrame() {
        const int run = vcx_Play2();
        ASSERT_TRUE(run == 0 || run == 1) << "vcx_Play2 answered " << run;
        first_ = vcx_WaitFrame(0, kFrameWaitMs);
        ASSERT_GT(first_, 0) << "no frame within " << kFrameWaitMs << " ms";
    }

    int first_ = 0;
};

std::string testName(const ::testing::TestParamInfo<Camera>& info) {
    return anycam::cameraName(info.param);
}

// --- Lists -------------------------------------------------------------------

TEST_P(AnyCamera, ListsNameTheDeviceAndItsFormatsAlike) {
    const std::vector<std::string> devices =
        listLines(vcx_GetDeviceListSize(0), [](char* out) { return vcx_GetDeviceList(out, 0); });
    ASSERT_GT(devices.size(), static_cast<std::size_t>(index()));
    EXPECT_FALSE(devices[static_cast<std::size_t>(index())].empty());
    EXPECT_EQ(listLines(vcx_GetDevicePathListSize(), vcx_GetDevicePathList).size(), devices.size())
        << "a path line per device, empty where a device has none";

    ASSERT_EQ(vcx_Open(index(), kNullRenderer, 0, 0, 0), 0);
    const auto [rates, widths, heights] = formatLists();
    ASSERT_FALSE(widths.empty());
    EXPECT_EQ(rates.size(), widths.size());
    EXPECT_EQ(heights.size(), widths.size());
    for (std::size_t k = 0; k < widths.size() && k < heights.size(); ++k) {
        EXPECT_GT(std::atoi(widths[k].c_str()), 0) << widths[k];
        EXPECT_NE(std::atoi(heights[k].c_str()), 0) << heights[k];
    }
    EXPECT_EQ(vcx_GetCapInfo(0), std::atoi(widths[0].c_str()));
    EXPECT_EQ(vcx_GetCapInfo(1), std::atoi(heights[0].c_str()));
    // The rate is 10 000 000 / the format's interval, "%1.2f": a device whose
    // formats give no interval lists the quotient by zero.
    const int interval = vcx_GetCapInfo(4);
    if (interval == 0) {
        EXPECT_EQ(rates[0], "inf");
    } else {
        EXPECT_NEAR(std::atof(rates[0].c_str()), 1e7 / interval, 0.005) << rates[0];
    }
}

// --- Open, run, stop, close ----------------------------------------------------

void expectFilters(const std::vector<std::string>& want) {
    const std::vector<std::string> filters =
        listLines(vcx_GetStreamFilterListSize(), vcx_StreamFilterList);
    for (const std::string& name : want) {
        EXPECT_NE(std::find(filters.begin(), filters.end(), name), filters.end()) << name;
    }
}

// The modes that need no window of the host: the Null Renderer, AVI with the
// preview into a Null Renderer, and AVI with the preview into the renderer
// the graph builder picks (which needs a display: left out without one).
TEST_P(AnyCamera, OpensRunsStopsAndClosesInEachWindowlessMode) {
    for (const int mode : {kNullRenderer, kAviWithNullPreview, kAviWithPreview}) {
        SCOPED_TRACE("mode " + std::to_string(mode));
        if (mode == kAviWithPreview && GetEnvironmentVariableA("DISPLAY", nullptr, 0) == 0) {
            std::printf("mode 301 left out: no display\n");
            continue;
        }
        const std::wstring file =
            L"recording-" + std::to_wstring(index()) + L"-mode" + std::to_wstring(mode) + L".avi";
        const vcx_intptr fileArgument =
            mode == kNullRenderer ? 0 : reinterpret_cast<vcx_intptr>(file.c_str());
        ASSERT_EQ(vcx_Open(index(), mode, 0, fileArgument, 0), 0);
        EXPECT_EQ(vcx_GetRef(), 2);
        EXPECT_EQ(vcx_GetState(), 0);
        std::vector<std::string> filters = {"Device Filter", "Sample Grabber"};
        if (mode != kAviWithPreview) {
            filters.push_back("Null Renderer");
        }
        expectFilters(filters);
        ASSERT_NO_FATAL_FAILURE(runToFirstFrame());
        EXPECT_EQ(vcx_GetRef(), 3);
        EXPECT_EQ(vcx_GetState(), 2);
        EXPECT_EQ(vcx_Stop(), 0);
        EXPECT_EQ(vcx_GetState(), 0);
        EXPECT_EQ(vcx_GetRef(), 2);
        EXPECT_EQ(vcx_Close(), 0);
        EXPECT_EQ(vcx_GetRef(), 0);
        if (mode != kNullRenderer) {
            WIN32_FILE_ATTRIBUTE_DATA data{};
            ASSERT_TRUE(GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data));
            EXPECT_GT(data.nFileSizeLow, 0u) << "the recording is empty";
        }
    }
}

// --- Frames ---------------------------------------------------------------------

TEST_P(AnyCamera, FrameExportsHandOutTheCamerasPicture) {
    const anycam::Picture picture = anycam::pictureUnderTest();
    ASSERT_EQ(vcx_Open(index(), kNullRenderer, 0, 0, 0), 0);
    ASSERT_NO_FATAL_FAILURE(runToFirstFrame());

    const Frame next = nextFrame(first_);
    ASSERT_GT(next.number, first_);
    EXPECT_EQ(anycam::pictureProblem(picture, next), "");
    EXPECT_EQ(vcx_GetImageMemSize(0), static_cast<int>(next.bits.size()));
    EXPECT_EQ(vcx_GetImageMemSize(1), 44);

    Frame copy;
    copy.bits.resize(next.bits.size());
    int size = static_cast<int>(copy.bits.size());
    std::array<std::uint8_t, 44> header{};
    ASSERT_EQ(harness::onceAFrameIsThere(
                  [&] { return vcx_GetImageMem(copy.bits.data(), &size, header.data()); }),
              0);
    std::memcpy(&copy.header, header.data(), sizeof copy.header);
    EXPECT_EQ(size, static_cast<int>(next.bits.size()));
    EXPECT_EQ(std::memcmp(&copy.header, &next.header, sizeof copy.header), 0);
    EXPECT_EQ(anycam::pictureProblem(picture, copy), "");

    const std::string snapshot = "snapshot-" + device() + "-" + std::to_string(next.width()) + "x" +
                                 std::to_string(next.height()) + ".bmp";
    ASSERT_EQ(vcx_SaveBMP(snapshot.c_str()), 0);
    std::ifstream file(snapshot, std::ios::binary | std::ios::ate);
    ASSERT_TRUE(file);
    EXPECT_EQ(static_cast<std::size_t>(file.tellg()), 54 + next.bits.size());
}

// --- Format apply ------------------------------------------------------------------

TEST_P(AnyCamera, AppliedFormatIsTheSizeOfTheFrames) {
    ASSERT_EQ(vcx_Open(index(), kNullRenderer, 0, 0, 0), 0);
    const auto lists = formatLists();
    ASSERT_EQ(vcx_Close(), 0);
    // The two smallest sizes the device lists (one, when it lists one).
    std::set<std::pair<long, std::pair<int, int>>> bySize;
    for (std::size_t k = 0; k < lists[1].size() && k < lists[2].size(); ++k) {
        const int width = std::atoi(lists[1][k].c_str());
        const int height = std::abs(std::atoi(lists[2][k].c_str()));
        bySize.insert({static_cast<long>(width) * height, {width, height}});
    }
    ASSERT_FALSE(bySize.empty());
    const std::pair<int, int> smallest = bySize.begin()->second;
    const std::pair<int, int> second = std::next(bySize.begin(), bySize.size() > 1)->second;

    // Each size requested before an open, which applies it to the device.
    // (Applied to an open slot the format would reach the device too, but a
    // camera without a preview pin streams through a Smart Tee, and Wine's
    // Smart Tee passes no frames after its input was reconnected.)
    for (const auto& [width, height] : {smallest, second}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        vcx_SetDevWidth(width);
        vcx_SetDevHeight(height);
        vcx_SetDevFrameRate(fps());
        ASSERT_EQ(vcx_Open(index(), kNullRenderer, 0, 0, 0), 0);
        ASSERT_NO_FATAL_FAILURE(runToFirstFrame());
        const Frame frame = nextFrame(first_);
        EXPECT_EQ(frame.width(), width);
        EXPECT_EQ(frame.height(), height);
        EXPECT_EQ(vcx_GetImageMemSize(0), static_cast<int>(frame.bits.size()));
        EXPECT_EQ(anycam::pictureProblem(anycam::pictureUnderTest(), frame), "");
        ASSERT_EQ(vcx_Close(), 0);
    }
}

// --- Device controls ----------------------------------------------------------------

struct Range {
    int minimum = 0, maximum = 0, step = 0, defaultValue = 0, capabilities = 0;
};

TEST_P(AnyCamera, PictureControlsTakeAValueKeepItAndGiveItBack) {
    ASSERT_EQ(vcx_Open(index(), kNullRenderer, 0, 0, 0), 0);
    int reported = 0;
    for (int property = 0; property <= VCX_CONTROL_FOCUS; ++property) {
        Range range;
        int value = 0, flags = 0;
        reported += vcx_GetDevControlRange(property, &range.minimum, &range.maximum, &range.step,
                                           &range.defaultValue, &range.capabilities) == 0 &&
                    vcx_GetDevControl(property, &value, &flags) == 0;
    }
    EXPECT_EQ(listLines(vcx_GetDevControlListSize(), vcx_GetDevControlList).size(),
              static_cast<std::size_t>(reported))
        << "a line per property whose range and value the device reports";

    int manual = 0;
    for (int property :
         {VCX_CONTROL_BRIGHTNESS, VCX_CONTROL_CONTRAST, VCX_CONTROL_HUE, VCX_CONTROL_SATURATION}) {
        SCOPED_TRACE("property " + std::to_string(property));
        Range range;
        const int answer =
            vcx_GetDevControlRange(property, &range.minimum, &range.maximum, &range.step,
                                   &range.defaultValue, &range.capabilities);
        if (answer == -5 || answer == -6 || !(range.capabilities & kManual)) {
            continue; // no such property, or not settable
        }
        ASSERT_EQ(answer, 0);
        ++manual;
        int held = 0, flags = 0;
        ASSERT_EQ(vcx_GetDevControl(property, &held, &flags), 0);
        const int target = held != range.maximum ? range.maximum : range.minimum;
        EXPECT_EQ(vcx_SetDevControl(property, target, kManual), 0);
        int value = 0;
        EXPECT_EQ(vcx_GetDevControl(property, &value, &flags), 0);
        EXPECT_EQ(value, target);
        EXPECT_EQ(flags, kManual);
        EXPECT_EQ(vcx_SetDevControl(property, held, kManual), 0);
        EXPECT_EQ(vcx_GetDevControl(property, &value, &flags), 0);
        EXPECT_EQ(value, held);
    }
    if (manual == 0) {
        GTEST_SKIP() << "the device has no picture control to set";
    }
}

// The picture brightens with the brightness at its maximum and comes back.
TEST_P(AnyCamera, BrightnessChangesThePicture) {
    ASSERT_EQ(vcx_Open(index(), kNullRenderer, 0, 0, 0), 0);
    Range range;
    if (vcx_GetDevControlRange(VCX_CONTROL_BRIGHTNESS, &range.minimum, &range.maximum, &range.step,
                               &range.defaultValue, &range.capabilities) != 0 ||
        !(range.capabilities & kManual)) {
        GTEST_SKIP() << "no brightness to set";
    }
    int held = 0, flags = 0;
    ASSERT_EQ(vcx_GetDevControl(VCX_CONTROL_BRIGHTNESS, &held, &flags), 0);
    ASSERT_LT(held, range.maximum) << "the brightness is at its maximum already";
    ASSERT_NO_FATAL_FAILURE(runToFirstFrame());
    const double before = anycam::meanLevel(nextFrame(afterFrames(1)));

    ASSERT_EQ(vcx_SetDevControl(VCX_CONTROL_BRIGHTNESS, range.maximum, kManual), 0);
    const double brighter = anycam::meanLevel(nextFrame(afterFrames(2)));
    ASSERT_EQ(vcx_SetDevControl(VCX_CONTROL_BRIGHTNESS, held, kManual), 0);
    const double after = anycam::meanLevel(nextFrame(afterFrames(2)));
    EXPECT_GT(brighter, before + 8) << "before " << before << ", brighter " << brighter;
    EXPECT_NEAR(after, before, 4) << "the brightness given back";
}

// --- Frame count, waits and rate ------------------------------------------------------

// Bounds that hold however loaded the machine is: a device cannot deliver
// faster than its rate, so the count over a window is at most the rate's,
// with a frame interval of slack at each end and the half second a loaded
// machine may hold a frame back; and at least half of it.
TEST_P(AnyCamera, FramesCountAndWaitAtTheDevicesRate) {
    ASSERT_EQ(vcx_Open(index(), kNullRenderer, 0, 0, 0), 0);
    ASSERT_NO_FATAL_FAILURE(runToFirstFrame());
    const double window = std::max(2.0, 15 / fps());
    const double start = seconds();
    int last = first_;
    while (seconds() - start < window) {
        const int number = vcx_WaitFrame(last, kFrameWaitMs);
        ASSERT_GT(number, last) << "vcx_WaitFrame answered " << number;
        last = number;
    }
    const double elapsed = seconds() - start;
    const int frames = last - first_;
    std::printf("%d frames in %.2f s: %.2f fps; the last second's %.2f fps\n", frames, elapsed,
                frames / elapsed, vcx_GetFrameRate() / 1000.0);
    EXPECT_LE(frames, fps() * (elapsed + 0.5) + 2) << "in " << elapsed << " s";
    EXPECT_GE(frames, fps() * elapsed / 2) << "in " << elapsed << " s";
    EXPECT_GE(vcx_GetFrameCount(), last);
    const double rate = vcx_GetFrameRate() / 1000.0;
    EXPECT_GE(rate, fps() / 2);
    EXPECT_LE(rate, fps() * 2);

    // a frame time for each frame, never going back
    int before = 0, after = 0;
    const int kind = vcx_GetFrameTime(&before);
    EXPECT_TRUE(kind == 0 || kind == 1) << kind;
    last = vcx_WaitFrame(vcx_GetFrameCount(), kFrameWaitMs);
    ASSERT_GT(last, 0);
    EXPECT_EQ(vcx_GetFrameTime(&after), kind);
    EXPECT_GE(after, before);

    // a frame a thousand ahead does not come within 300 ms, nor before
    const double waitStart = seconds();
    EXPECT_EQ(vcx_WaitFrame(last + 1000, 300), kTimedOut);
    EXPECT_GE(seconds() - waitStart, 0.29);
}

// --- Recording --------------------------------------------------------------------------

// Mode 300 for at least two seconds and twenty frame intervals, stopped as a
// frame arrives: the file must last the time from the first frame's arrival
// to the last one's plus an interval, which check-any-camera.sh asks ffprobe.
TEST_P(AnyCamera, RecordingLastsTheTimeItWasRecorded) {
    const std::wstring file = L"recording-" + std::to_wstring(index()) + L"-timed.avi";
    ASSERT_EQ(
        vcx_Open(index(), kAviWithNullPreview, 0, reinterpret_cast<vcx_intptr>(file.c_str()), 0),
        0);
    ASSERT_NO_FATAL_FAILURE(runToFirstFrame());
    const double start = seconds();
    const int frames = static_cast<int>(std::ceil(std::max(2.0, 20 / fps()) * fps()));
    int last = first_;
    while (last < first_ + frames) {
        const int number = vcx_WaitFrame(last, kFrameWaitMs);
        ASSERT_GT(number, last) << "vcx_WaitFrame answered " << number;
        last = number;
    }
    const double wall = seconds() - start + 1 / fps();
    std::printf("%d frames in %.2f s: %.2f fps\n", last - first_ + 1, wall,
                (last - first_ + 1) / wall);
    ASSERT_EQ(vcx_Stop(), 0);
    ASSERT_EQ(vcx_Close(), 0);
    std::ofstream expect("recording-" + std::to_string(index()) + "-timed.expect");
    expect << wall << " " << last - first_ + 1 << " " << fps() << "\n";
}

INSTANTIATE_TEST_SUITE_P(Devices, AnyCamera, ::testing::ValuesIn(anycam::camerasUnderTest()),
                         testName);

} // namespace
