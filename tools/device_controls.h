// Camera properties as the tool meets them: the lines of the library's
// control list, and the NAME=VALUE, NAME=auto and NAME=manual assignments of
// the set command.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// The property names in number order, as the public header numbers them.
extern const char* const kControlNames[17];

// The number of a property name in any case, or nothing.
std::optional<int> controlNumber(std::string_view name);

// One line of vcx_GetDevControlList.
struct DeviceControl {
    std::string name;
    int number = 0;
    int minimum = 0;
    int maximum = 0;
    int step = 0;
    int defaultValue = 0;
    int capabilities = 0; // VCX_CONTROL_AUTO and / or VCX_CONTROL_MANUAL
    int value = 0;
    int mode = 0; // VCX_CONTROL_AUTO or VCX_CONTROL_MANUAL
    bool operator==(const DeviceControl&) const = default;
};

// The controls of the list text; throws CommandError when it is not such a
// list.
std::vector<DeviceControl> parseControlList(std::string_view text);

// The controls of the device open in the active slot; nothing when the device
// offers neither control interface.
std::optional<std::vector<DeviceControl>> readDeviceControls();

struct ControlAssignment {
    enum class Kind { kValue, kAuto, kManual };
    std::string text; // as given
    int number = 0;
    Kind kind = Kind::kValue;
    int value = 0; // for kValue
    bool operator==(const ControlAssignment&) const = default;
};

// "NAME=VALUE" (a manual value), "NAME=auto", "NAME=manual" (keep the value,
// leave auto mode); nothing, with the reason in problem, for other text.
std::optional<ControlAssignment> parseAssignment(std::string_view text, std::string& problem);

} // namespace cli
