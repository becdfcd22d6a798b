// The capture formats a device lists (width, height, frame rate), and the
// format a snapshot asks for when the command line names only part of it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

struct DeviceFormat {
    int width = 0;
    int height = 0; // negative: top-down
    double fps = 0;
    bool operator==(const DeviceFormat&) const = default;
};

// The formats from the three parallel lists vcx_GetDevCapConfig writes
// (rates as "%1.2f", widths, heights; line k of each is format k). Throws
// CommandError when they are not such lists.
std::vector<DeviceFormat> parseFormatLists(std::string_view rates, std::string_view widths,
                                           std::string_view heights);

// The formats of the device open in the active slot.
std::vector<DeviceFormat> readDeviceFormats();

struct FormatRequest {
    std::optional<int> width;
    std::optional<int> height;
    std::optional<double> fps;
    // --format INDEX or --subtype NAME: one capability is chosen
    // (vcx_SetDevFormat) instead of a width, height and rate being requested.
    std::optional<int> index = std::nullopt;
    std::optional<std::string> subtype = std::nullopt;
    bool any() const { return width || height || fps || choosesCapability(); }
    bool complete() const { return width && height && fps; }
    bool choosesCapability() const { return index || subtype; }
};

// The whole format to request: what the command line gave, the rest from the
// first listed format that matches what it gave (the library applies width,
// height and rate together, so none may stay 0). Throws CommandError when no
// listed format matches.
DeviceFormat completeRequest(const FormatRequest& request,
                             const std::vector<DeviceFormat>& formats);

// A line of vcx_GetDevFormatList: one capability of the device's capture
// pin. described is false for a capability the device could not describe
// (an empty line), whose other fields are then empty.
struct DeviceCapability {
    int index = 0;
    bool described = true;
    std::string subtype;
    std::string formatType;
    int width = 0;
    int height = 0; // negative: top-down
    int bitCount = 0;
    double minFps = 0; // the range VIDEO_STREAM_CONFIG_CAPS gives
    double maxFps = 0;
    double fps = 0; // the format's own rate; 0: the device reports none
    bool operator==(const DeviceCapability&) const = default;
};

// The capabilities of a vcx_GetDevFormatList text. Throws CommandError when
// it is not such a list.
std::vector<DeviceCapability> parseCapabilityList(std::string_view text);

// The capabilities of the device open in the active slot.
std::vector<DeviceCapability> readCapabilities();

// The capability a request names, and the rate to ask of it (0: its own).
struct CapabilityChoice {
    DeviceCapability capability;
    double fps = 0;
};

// With --format, that capability (--fps, when given, is asked of it); with
// --subtype, the first capability of that subtype (in any case) with the
// width and height given, whose own rate or range holds --fps when given.
// Throws CommandError when the device lists none.
CapabilityChoice chooseCapability(const FormatRequest& request,
                                  const std::vector<DeviceCapability>& capabilities);

// "30.00 fps", or "rate not reported" for a rate of 0.
std::string rateText(double fps);

// "capability 1: MJPG 1920x1080 at 30.00 fps (VideoInfo, 24 bit)".
std::string describeChoice(const CapabilityChoice& choice);

} // namespace cli
