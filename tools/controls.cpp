// vcxcap-cli controls and set: the camera properties of a device, and
// setting them.
#include "commands.h"
#include "device_controls.h"
#include "results.h"
#include "session.h"
#include "vcxcap.h"

#include <cstdio>
#include <string>

namespace cli {

namespace {

const char* modeName(int mode) {
    return mode == VCX_CONTROL_AUTO ? "auto" : "manual";
}

std::string modesName(int capabilities) {
    switch (capabilities) {
    case VCX_CONTROL_AUTO:
        return "auto";
    case VCX_CONTROL_MANUAL:
        return "manual";
    case VCX_CONTROL_AUTO | VCX_CONTROL_MANUAL:
        return "auto, manual";
    default:
        return "none";
    }
}

// What the result of one assignment means, with the range when the value was
// outside it.
std::string refusal(const ControlAssignment& assignment, const char* exportName, int result) {
    std::string text = "vcxcap-cli: " + assignment.text + ": " + describeResult(exportName, result);
    constexpr int kOutsideRange = -8;
    int minimum = 0, maximum = 0, step = 0, defaultValue = 0, capabilities = 0;
    if (result == kOutsideRange &&
        vcx_GetDevControlRange(assignment.number, &minimum, &maximum, &step, &defaultValue,
                               &capabilities) == 0) {
        text += " (" + std::to_string(minimum) + ".." + std::to_string(maximum) + ")";
    }
    return text;
}

// Applies one assignment and prints what the device holds then; false when a
// call refused it, reported on stderr with its meaning.
bool apply(const ControlAssignment& assignment) {
    int value = assignment.value;
    int flags = VCX_CONTROL_MANUAL;
    if (assignment.kind == ControlAssignment::Kind::kAuto) {
        flags = VCX_CONTROL_AUTO;
    } else if (assignment.kind == ControlAssignment::Kind::kManual) {
        int mode = 0;
        const int read = vcx_GetDevControl(assignment.number, &value, &mode);
        if (read < 0) {
            std::fprintf(stderr, "%s\n", refusal(assignment, "vcx_GetDevControl", read).c_str());
            return false;
        }
    }
    const int result = vcx_SetDevControl(assignment.number, value, flags);
    if (result < 0) {
        std::fprintf(stderr, "%s\n", refusal(assignment, "vcx_SetDevControl", result).c_str());
        return false;
    }
    int held = 0;
    int mode = 0;
    check("vcx_GetDevControl", vcx_GetDevControl(assignment.number, &held, &mode));
    std::printf("%s = %d (%s)\n", kControlNames[assignment.number], held, modeName(mode));
    return true;
}

} // namespace

int runControls(int device) {
    Library library;
    OpenSlot slot(device, kNoOutput);
    const std::optional<std::vector<DeviceControl>> controls = readDeviceControls();
    std::printf("camera properties of device %d:\n", device);
    if (!controls) {
        std::printf("  (none: the device offers neither IAMVideoProcAmp nor IAMCameraControl)\n");
        return 0;
    }
    std::printf("  %-22s %6s %8s %8s %5s %8s %8s  %-6s  %s\n", "property", "number", "minimum",
                "maximum", "step", "default", "value", "mode", "modes");
    bool listed[17] = {};
    for (const DeviceControl& control : *controls) {
        std::printf("  %-22s %6d %8d %8d %5d %8d %8d  %-6s  %s\n", control.name.c_str(),
                    control.number, control.minimum, control.maximum, control.step,
                    control.defaultValue, control.value, modeName(control.mode),
                    modesName(control.capabilities).c_str());
        if (control.number >= 0 && control.number < 17) {
            listed[control.number] = true;
        }
    }
    std::string missing;
    for (int number = 0; number < 17; ++number) {
        if (!listed[number]) {
            missing += (missing.empty() ? "" : ", ") + std::string(kControlNames[number]);
        }
    }
    if (!missing.empty()) {
        std::printf("  not supported: %s\n", missing.c_str());
    }
    return 0;
}

int runSet(int device, const std::vector<ControlAssignment>& assignments) {
    Library library;
    OpenSlot slot(device, kNoOutput);
    bool allDone = true;
    for (const ControlAssignment& assignment : assignments) {
        allDone = apply(assignment) && allDone;
    }
    return allDone ? 0 : 1;
}

} // namespace cli
