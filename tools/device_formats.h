// The capture formats a device lists (width, height, frame rate), and the
// format a snapshot asks for when the command line names only part of it.
#pragma once

#include <optional>
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
    bool any() const { return width || height || fps; }
    bool complete() const { return width && height && fps; }
};

// The whole format to request: what the command line gave, the rest from the
// first listed format that matches what it gave (the library applies width,
// height and rate together, so none may stay 0). Throws CommandError when no
// listed format matches.
DeviceFormat completeRequest(const FormatRequest& request,
                             const std::vector<DeviceFormat>& formats);

} // namespace cli
