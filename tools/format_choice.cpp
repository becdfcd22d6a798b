#include "format_choice.h"

#include "results.h"
#include "session.h"
#include "vcxcap.h"

#include <cmath>
#include <cstdio>

namespace cli {

namespace {

// The largest relative difference between the rate asked for and the rate in
// force that goes without a warning.
constexpr double kRateSlack = 0.05;
constexpr ULONGLONG kMeasureAfterMs = 1000;
// A measured rate counts the frames between two arrivals at least this far
// apart and this many frames apart, so that how late one frame was handed
// over weighs little; it gives up on a frame after kMeasureWaitMs.
constexpr double kMeasureSpanSeconds = 1.5;
constexpr int kMeasureFrames = 4;
constexpr double kMeasureLongestSeconds = 4.0;
constexpr int kMeasureWaitMs = 2000;

double secondsNow() {
    LARGE_INTEGER frequency{};
    LARGE_INTEGER count{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The rate the running slot's frames arrive at, from frame arrivals seen by
// waits; the slot's own one-second rate when too few frames come.
double measureFrameRate() {
    const int first = vcx_WaitFrame(vcx_GetFrameCount(), kMeasureWaitMs);
    const double start = secondsNow();
    int last = first;
    double elapsed = 0;
    while (first > 0 && elapsed < kMeasureLongestSeconds &&
           (elapsed < kMeasureSpanSeconds || last - first < kMeasureFrames)) {
        const int next = vcx_WaitFrame(last, kMeasureWaitMs);
        if (next <= 0) {
            break;
        }
        last = next;
        elapsed = secondsNow() - start;
    }
    if (first <= 0 || last == first || elapsed <= 0) {
        return check("vcx_GetFrameRate", vcx_GetFrameRate()) / 1000.0;
    }
    return (last - first) / elapsed;
}

FormatPlan chooseFormat(int device, const FormatRequest& request) {
    OpenSlot probe(device, kNoOutput);
    const CapabilityChoice choice = chooseCapability(request, readCapabilities());
    check("vcx_SetDevFormat", vcx_SetDevFormat(choice.capability.index, choice.fps));
    const std::string description = describeChoice(choice);
    std::printf("using %s\n", description.c_str());
    std::fflush(stdout);
    return {true, description, request.fps};
}

FormatPlan requestFormat(int device, const FormatRequest& request) {
    std::vector<DeviceFormat> formats;
    if (!request.complete()) {
        OpenSlot probe(device, kNoOutput);
        formats = readDeviceFormats();
    }
    const DeviceFormat format = completeRequest(request, formats);
    vcx_SetActiveSel(0);
    vcx_SetDevWidth(format.width);
    vcx_SetDevHeight(format.height);
    vcx_SetDevFrameRate(format.fps);
    char text[64];
    std::snprintf(text, sizeof text, "%dx%d at %.2f fps", format.width, format.height, format.fps);
    return {true, text, request.fps};
}

} // namespace

FormatPlan planFormat(int device, const FormatRequest& request) {
    if (request.choosesCapability()) {
        return chooseFormat(device, request);
    }
    if (request.any()) {
        return requestFormat(device, request);
    }
    return {};
}

void checkFormatTaken(const FormatPlan& plan, int openResult) {
    // Bit 0 of open's success value: the format was not taken (the sound's
    // refusal adds 2).
    if (plan.asked && openResult > 0 && (openResult & 1) != 0) {
        throw CommandError("the device refused " + plan.description + " (" +
                           describeResult("vcx_Open", 1) + ")");
    }
}

std::optional<std::string> rateMismatch(double asked, double inForce, bool measured) {
    if (asked > 0 && std::fabs(inForce - asked) <= kRateSlack * asked) {
        return std::nullopt;
    }
    char text[160];
    if (measured) {
        std::snprintf(text, sizeof text,
                      "asked for %.2f fps, the frames arrive at %.2f fps (measured; the format "
                      "in force reports no rate)",
                      asked, inForce);
    } else {
        std::snprintf(text, sizeof text, "asked for %.2f fps, the format in force runs at %.2f fps",
                      asked, inForce);
    }
    return text;
}

void warnAboutRate(const FormatPlan& plan, ULONGLONG runStart) {
    if (!plan.fps) {
        return;
    }
    int fourcc = 0, bitCount = 0, width = 0, height = 0;
    double inForce = 0;
    check("vcx_GetDevFormat", vcx_GetDevFormat(&fourcc, &bitCount, &width, &height, &inForce));
    const bool measured = inForce <= 0;
    if (measured) {
        const ULONGLONG due = runStart + kMeasureAfterMs;
        const ULONGLONG now = GetTickCount64();
        if (now < due) {
            Sleep(static_cast<DWORD>(due - now));
        }
        inForce = measureFrameRate();
    }
    if (const std::optional<std::string> warning = rateMismatch(*plan.fps, inForce, measured)) {
        std::fflush(stdout);
        std::fprintf(stderr, "vcxcap-cli: warning: %s\n", warning->c_str());
    }
}

} // namespace cli
