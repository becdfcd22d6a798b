// Times how long the first frame takes, side by side in one run, for a
// default camera at 30 and 60 fps (640x480) and for one that takes 300 ms to
// start: from vcx_Play2 (and from the start of vcx_Open) until
// vcx_GetImageMem hands out a frame, against a bare graph built here (camera
// -> Sample Grabber -> Null Renderer) from Run until GetCurrentBuffer has a
// frame. Both are polled the same way. The camera starts streaming when it
// runs, after its start-up delay; what counts is what the library adds to
// that. Medians of 20 runs each.
// Registers vcxcam.dll next to the program in the current Wine prefix.
#include "bench_support.h"
#include "camera_support.h"
#include "first_frame.h"
#include "harness.h"
#include "ids.h"
#include "vcxcap.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRuns = 20;
constexpr double kTimeout = 5;

// Calls frameIsThere every millisecond until it answers true; the seconds
// from start until then, or a negative value after kTimeout.
template <class Poll> double untilFirstFrame(double start, Poll frameIsThere) {
    while (!frameIsThere()) {
        if (bench::nowSeconds() - start > kTimeout) {
            return -1;
        }
        Sleep(1);
    }
    return bench::nowSeconds() - start;
}

struct LibraryRun {
    double fromOpen, fromPlay;
};

LibraryRun libraryRun() {
    const double open = bench::nowSeconds();
    if (vcx_Open(0, 6, 0, 0, 0) != 0) {
        return {-1, -1};
    }
    const double play = bench::nowSeconds();
    vcx_Play2();
    std::vector<unsigned char> header(44);
    const double fromPlay = untilFirstFrame(play, [&] {
        int size = 0;
        return vcx_GetImageMem(nullptr, &size, header.data()) != harness::kNoFrameYet;
    });
    const LibraryRun run{fromPlay < 0 ? -1 : play - open + fromPlay, fromPlay};
    vcx_Close();
    return run;
}

double bareGraphRun() {
    const vcx::ComPtr<IBaseFilter> camera = camtest::bindCamera(vcxcam::kDefaultFriendlyName);
    const auto graph = camtest::buildPreviewGraph(camera.get());
    const double run = bench::nowSeconds();
    graph->control->Run();
    const double fromRun = untilFirstFrame(run, [&] {
        long size = 0;
        return graph->grabber->GetCurrentBuffer(&size, nullptr) != VFW_E_WRONG_STATE;
    });
    graph->control->Stop();
    return fromRun;
}

// Prints one line per camera; false when the library is more than one frame
// interval behind the bare graph.
bool measure(int fps, DWORD startupDelayMs) {
    harness::configureCameras(
        {{L"", {L"640x480@" + std::to_wstring(fps)}, 0, 0, 0, startupDelayMs}});
    std::vector<double> fromOpen, fromPlay, bare;
    for (int run = 0; run < kRuns; ++run) {
        const LibraryRun library = libraryRun();
        const double graph = bareGraphRun();
        if (library.fromPlay < 0 || graph < 0) {
            std::fprintf(stderr, "first_frame: no frame within %.0f s\n", kTimeout);
            return false;
        }
        fromOpen.push_back(library.fromOpen);
        fromPlay.push_back(library.fromPlay);
        bare.push_back(graph);
    }
    const double interval = 1.0 / fps;
    const double behind = bench::median(fromPlay) - bench::median(bare);
    std::printf("%2d fps, start-up %3lu ms  vcx_Play2 -> frame %6.1f ms  vcx_Open -> frame "
                "%6.1f ms  bare Run -> frame %6.1f ms  library behind by %+6.1f ms (%.2f frame "
                "intervals)\n",
                fps, static_cast<unsigned long>(startupDelayMs), bench::median(fromPlay) * 1e3,
                bench::median(fromOpen) * 1e3, bench::median(bare) * 1e3, behind * 1e3,
                behind / interval);
    char camera[48];
    std::snprintf(camera, sizeof camera, startupDelayMs != 0 ? "@%dfps+%lums" : "@%dfps", fps,
                  static_cast<unsigned long>(startupDelayMs));
    bench::reportRatio(std::string("Play2_first_frame/bare_Run_first_frame") + camera,
                       bench::median(fromPlay) / bench::median(bare));
    bench::reportRatio(std::string("library_behind_bare_in_frame_intervals") + camera,
                       behind / interval, "<=", 1);
    return behind <= interval;
}

} // namespace

int main() {
    try {
        std::printf("medians of %d runs each; limit: the library's first frame at most one "
                    "frame interval after the bare graph's\n",
                    kRuns);
        harness::ComScope com;
        if (vcx_Init() < 0) {
            return 2;
        }
        bool within = true;
        struct Camera {
            int fps;
            DWORD startupDelayMs;
        };
        for (const Camera camera : {Camera{30, 0}, Camera{60, 0}, Camera{30, 300}}) {
            within = measure(camera.fps, camera.startupDelayMs) && within;
        }
        vcx_Exit();
        harness::restoreDefaultCameras();
        std::printf("%s\n", within ? "within the limit" : "NOT within the limit");
        return within ? 0 : 1;
    } catch (const harness::Failure& failure) {
        std::fprintf(stderr, "first_frame: %s\n", failure.what());
        return 2;
    }
}
