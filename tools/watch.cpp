// vcxcap-cli watch: a device's stream second by second (frames, measured
// rate, frames the device dropped, graph events), ending with status 1 when
// the device is lost or the stream stalls for more than a second.
#include "commands.h"
#include "events.h"
#include "format_choice.h"
#include "interrupt.h"
#include "session.h"
#include "vcxcap.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace cli {

namespace {

constexpr int kWaitTimedOut = -3;
constexpr int kDeviceLost = -4;
constexpr int kNotOffered = -3; // vcx_GetDroppedFrames: no IAMDroppedFrames
constexpr ULONGLONG kStallMs = 1000;
constexpr DWORD kWaitStepMs = 100;

std::string droppedText() {
    const int dropped = vcx_GetDroppedFrames();
    if (dropped == kNotOffered) {
        return "dropped frames not reported";
    }
    return std::to_string(check("vcx_GetDroppedFrames", dropped)) + " dropped";
}

} // namespace

int runWatch(const WatchOptions& options) {
    Library library;
    const FormatPlan plan = planFormat(options.device, options.format);
    OpenSlot slot(options.device, kNullRenderer);
    checkFormatTaken(plan, slot.result());
    check("vcx_Play2", vcx_Play2());
    const ULONGLONG start = GetTickCount64();
    ULONGLONG lastFrameAt = start;
    int frames = 0;
    bool lost = false;
    for (int second = 1; (options.seconds == 0 || second <= options.seconds) && !interrupted();
         ++second) {
        const ULONGLONG end = start + 1000ULL * static_cast<ULONGLONG>(second);
        bool stalled = false;
        for (ULONGLONG now = GetTickCount64(); now < end && !lost && !stalled && !interrupted();
             now = GetTickCount64()) {
            const auto step = static_cast<int>(std::min<ULONGLONG>(kWaitStepMs, end - now));
            const int result = vcx_WaitFrame(frames, step);
            if (result > 0) {
                frames = result;
                lastFrameAt = GetTickCount64();
            } else if (result == kDeviceLost) {
                lost = true;
            } else if (result != kWaitTimedOut) {
                check("vcx_WaitFrame", result);
            }
            stalled = GetTickCount64() - lastFrameAt > kStallMs;
        }
        std::string line =
            "watch " + std::to_string(second) + " s: " + std::to_string(frames) + " frames, ";
        char rate[32];
        std::snprintf(rate, sizeof rate, "%.2f fps, ",
                      check("vcx_GetFrameRate", vcx_GetFrameRate()) / 1000.0);
        line += rate + droppedText();
        std::string ended;
        for (const GraphEvent& event : takeEvents()) {
            line += ", event " + describeEvent(event);
            if (endsCapture(event) && ended.empty()) {
                ended = describeEvent(event);
            }
        }
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
        if (second == 1) {
            warnAboutRate(plan, start);
        }
        if (!ended.empty() || lost) {
            throw CommandError("the stream ended: " +
                               (ended.empty() ? "the device was lost" : ended));
        }
        if (stalled) {
            throw CommandError("the stream stalled: no frame for more than 1 s after frame " +
                               std::to_string(frames));
        }
    }
    return 0;
}

} // namespace cli
