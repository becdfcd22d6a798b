// The camera properties a camera offers, as its configuration names them: a
// Controls line per property, "NAME MIN MAX STEP DEFAULT MODES [START]", for
// example "Exposure -13 -1 1 -6 both auto". NAME is a property name of the
// library's table (Brightness .. Focus, any case), MODES auto, manual or both,
// START the mode a fresh camera is in (by default manual when MODES has it).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vcxcam {

struct ControlSpec {
    int number = 0; // 0..16, the property's number in vcx::kCameraProperties
    LONG minimum = 0;
    LONG maximum = 0;
    LONG step = 1;
    LONG defaultValue = 0;
    LONG capabilities = 0; // vcx::kPropertyAuto and / or vcx::kPropertyManual
    bool startsAuto = false;
    bool operator==(const ControlSpec&) const = default;
};

// What a property holds: its value and whether it is in auto mode.
struct ControlSetting {
    LONG value = 0;
    bool autoMode = false;
    bool operator==(const ControlSetting&) const = default;
};

// A setting as the camera keeps it between lives: "VALUE auto" or
// "VALUE manual"; nothing for other text.
std::optional<ControlSetting> parseSetting(std::wstring_view text);
std::wstring settingText(const ControlSetting& setting);

// Parses one line; nothing for a line that is malformed or inconsistent
// (minimum above maximum, a step below 1, a default outside the range or off
// its steps, a start mode the modes lack).
std::optional<ControlSpec> parseControl(std::wstring_view line);

// Parses every line, skipping the bad ones and a second line of a property;
// the properties come in number order.
std::vector<ControlSpec> parseControls(const std::vector<std::wstring>& lines);

// The properties of a camera whose configuration has no Controls value.
std::vector<ControlSpec> defaultControls();

} // namespace vcxcam
