// A capability of a camera: one size, frame rate and subtype it can stream,
// as written in the configuration ("640x480@30", "vi2:1280x-720@29.97",
// "1280x720@30:NV12").
#pragma once

#include "subtype.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vcxcam {

// Largest width or height a capability may have.
constexpr int kMaxDimension = 8192;
// Highest frame rate a capability may have, in frames per second.
constexpr int kMaxFramesPerSecond = 1000;

struct Capability {
    int width = 0;
    int height = 0;                 // negative for a top-down picture
    std::int64_t frameInterval = 0; // 100-nanosecond units
    bool videoInfo2 = false;        // offered as FORMAT_VideoInfo2 instead of FORMAT_VideoInfo
    Subtype subtype = Subtype::Rgb24;

    bool operator==(const Capability&) const = default;
};

// Parses one configuration line: optional "vi2:" prefix, WIDTHxHEIGHT@FPS,
// FPS a decimal with up to six decimals, optional ":SUBTYPE" suffix (RGB24,
// YUY2 or NV12 in any case; RGB24 without one); surrounding blanks are
// ignored. Returns nothing for a line that is malformed or out of range,
// or whose size the subtype cannot hold (subtypeHoldsSize).
std::optional<Capability> parseCapability(std::wstring_view line);

// Parses every line, skipping the bad ones and repeats of an earlier line.
std::vector<Capability> parseCapabilities(const std::vector<std::wstring>& lines);

// The capabilities of a camera whose configuration names none.
std::vector<Capability> defaultCapabilities();

} // namespace vcxcam
