// Times an MJPG camera's way to the host against a YUY2 camera's, side by
// side in one run, both at 1920x1080, 30 fps, on a running capture
// (vcx_Open mode 6, every frame taken with vcx_WaitFrame and
// vcx_GetImageMem); six rounds taking turns, medians:
//   - the process's CPU time per frame the host got, the camera's work
//     included;
//   - the same less the time the camera spent making its frames (drawing the
//     picture and compressing or converting it, what a real camera does in
//     its hardware; its statistics interface counts it): what is left is the
//     host's side, the decoder (MJPG) or the colour converter (YUY2) on the
//     streaming thread, the grabber and the host's copy;
//   - the rate the MJPG path delivers to the host, against the camera's 30 fps;
// and the transform alone: decoding one JPEG frame (jpeg_codec.h) against
// converting one YUY2 frame (colour_conversion.h), medians of 30.
// The limit: the MJPG path keeps 95 % of the camera's rate. Registers
// vcxcam.dll next to the program in the current Wine prefix.
#include "bench_support.h"
#include "camera_support.h"
#include "graph_spy.h"
#include "harness.h"
#include "picture.h"
#include "stream_stats.h"
#include "vcxcap.h"

#include "colour_conversion.h"
#include "jpeg_codec.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

using vcx::ComPtr;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kRounds = 6;
constexpr double kWarmUpSeconds = 0.5;
constexpr double kMeasureSeconds = 2.0;
constexpr double kRateLimit = 0.95;
constexpr int kDecodes = 30;

double processCpuSeconds() {
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto units = [](const FILETIME& time) {
        return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) |
                                   time.dwLowDateTime);
    };
    return (units(kernel) + units(user)) / 1e7;
}

struct Round {
    double cpuPerFrame = -1;     // seconds, the camera's work included
    double hostCpuPerFrame = -1; // seconds, without it
    double framesPerSecond = 0;
};

double counterSeconds(LONGLONG ticks) {
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

// One capture of device: its host-side CPU time per frame and its rate, once
// warmed up; hostCpuPerFrame -1 when the capture did not work.
Round measure(int device) {
    Round round;
    if (vcx_Init() < 0) {
        return round;
    }
    ComPtr<vcxcam::IStreamStats> stats;
    {
        harness::GraphSpy spy;
        if (vcx_Open(device, 6, 0, 0, 0) != 0) {
            vcx_Exit();
            return round;
        }
        const ComPtr<IGraphBuilder> graph = spy.takeGraph();
        const ComPtr<IBaseFilter> camera = camtest::filterNamed(graph.get(), L"Device Filter");
        if (camera) {
            camera->QueryInterface(vcxcam::kIidStreamStats, stats.putVoid());
        }
    }
    std::vector<std::uint8_t> bits(vcxcam::frameSize(kWidth, kHeight));
    std::vector<std::uint8_t> header(44);
    const auto take = [&](double until) {
        int last = vcx_GetFrameCount();
        int frames = 0;
        while (bench::nowSeconds() < until) {
            const int number = vcx_WaitFrame(last, 1000);
            if (number <= 0) {
                return -1;
            }
            int size = static_cast<int>(bits.size());
            vcx_GetImageMem(bits.data(), &size, header.data());
            frames += number - last;
            last = number;
        }
        return frames;
    };
    if (stats && vcx_Play2() >= 0 && take(bench::nowSeconds() + kWarmUpSeconds) > 0) {
        vcxcam::StreamStats before{};
        stats->GetStreamStats(&before);
        const double cpuBefore = processCpuSeconds();
        const double start = bench::nowSeconds();
        const int frames = take(start + kMeasureSeconds);
        const double elapsed = bench::nowSeconds() - start;
        const double cpu = processCpuSeconds() - cpuBefore;
        vcxcam::StreamStats after{};
        stats->GetStreamStats(&after);
        const double making = counterSeconds(after.makingTicks - before.makingTicks);
        if (frames > 0) {
            round.cpuPerFrame = cpu / frames;
            round.hostCpuPerFrame = (cpu - making) / frames;
            round.framesPerSecond = frames / elapsed;
        }
    }
    stats.reset();
    vcx_Close();
    vcx_Exit();
    return round;
}

// Median seconds of one decode of the camera's JPEG, and of one conversion
// of its YUY2 frame, into RGB24.
std::pair<double, double> transformSeconds() {
    std::vector<std::uint8_t> picture(vcxcam::frameSize(kWidth, kHeight));
    vcxcam::drawFrame(picture.data(), kWidth, kHeight, 0);
    std::vector<std::uint8_t> jpeg(picture.size() + 4096);
    vcxcam::JpegEncoder encoder;
    jpeg.resize(encoder.encode(picture.data(), kWidth, kHeight, jpeg.data(), jpeg.size()));
    std::vector<std::uint8_t> yuy2(vcxcam::frameBytes(vcxcam::Subtype::Yuy2, kWidth, kHeight));
    vcxcam::convertFromRgb24(vcxcam::Subtype::Yuy2, picture.data(), kWidth, kHeight, yuy2.data());
    vcxcam::JpegDecoder decoder;
    std::vector<double> decodes;
    std::vector<double> converts;
    for (int run = 0; run < kDecodes && !jpeg.empty(); ++run) {
        double start = bench::nowSeconds();
        if (!decoder.decode(jpeg.data(), jpeg.size(), kWidth, kHeight, picture.data())) {
            return {-1, -1};
        }
        decodes.push_back(bench::nowSeconds() - start);
        start = bench::nowSeconds();
        vcxcam::convertToRgb24(vcxcam::Subtype::Yuy2, yuy2.data(), kWidth, kHeight, picture.data());
        converts.push_back(bench::nowSeconds() - start);
    }
    if (decodes.empty()) {
        return {-1, -1};
    }
    return {bench::median(decodes), bench::median(converts)};
}

} // namespace

int main() {
    harness::ComScope com;
    harness::configureCameras(
        {{L"MJPG camera", {L"1920x1080@30:MJPG"}}, {L"YUY2 camera", {L"1920x1080@30:YUY2"}}});
    std::vector<double> mjpg;
    std::vector<double> yuy2;
    std::vector<double> mjpgAll;
    std::vector<double> yuy2All;
    std::vector<double> mjpgRates;
    for (int round = 0; round < kRounds; ++round) {
        const int device = round % 2;
        const Round measured = measure(device);
        if (measured.hostCpuPerFrame < 0) {
            std::fprintf(stderr, "mjpeg_path: the capture of device %d did not work\n", device);
            harness::restoreDefaultCameras();
            return 2;
        }
        (device == 0 ? mjpg : yuy2).push_back(measured.hostCpuPerFrame);
        (device == 0 ? mjpgAll : yuy2All).push_back(measured.cpuPerFrame);
        if (device == 0) {
            mjpgRates.push_back(measured.framesPerSecond);
        }
        std::printf("round %d, %s: CPU %.2f ms a frame, %.2f ms without the camera's work, "
                    "%.2f fps\n",
                    round + 1, device == 0 ? "MJPG" : "YUY2", measured.cpuPerFrame * 1e3,
                    measured.hostCpuPerFrame * 1e3, measured.framesPerSecond);
    }
    harness::restoreDefaultCameras();
    const auto [decode, convert] = transformSeconds();
    if (decode < 0) {
        std::fprintf(stderr, "mjpeg_path: the camera's JPEG did not decode\n");
        return 2;
    }
    std::printf("decode %.2f ms, YUY2 conversion %.2f ms a 1920x1080 frame\n", decode * 1e3,
                convert * 1e3);
    const double rate = bench::median(mjpgRates) / 30.0;
    bench::reportRatio("MJPG/YUY2_CPU_per_frame@1920x1080",
                       bench::median(mjpgAll) / bench::median(yuy2All));
    bench::reportRatio("MJPG/YUY2_host_CPU_per_frame@1920x1080",
                       bench::median(mjpg) / bench::median(yuy2));
    bench::reportRatio("decode/YUY2_conversion@1920x1080", decode / convert);
    bench::reportRatio("MJPG_delivered/nominal_fps@1920x1080x30", rate, ">=", kRateLimit);
    return rate >= kRateLimit ? 0 : 1;
}
