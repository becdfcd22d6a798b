#include "device_formats.h"

#include "session.h"
#include "text.h"
#include "vcxcap.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace cli {

namespace {

// "%1.2f" keeps two decimals: a rate given on the command line matches a
// listed one when it rounds to it.
constexpr double kRateTolerance = 0.005;

std::vector<std::string> linesOf(const char* what, std::string_view text) {
    std::optional<std::vector<std::string>> lines = splitNameList(text);
    if (!lines) {
        throw CommandError(std::string("vcx_GetDevCapConfig wrote no ") + what + " list");
    }
    return *lines;
}

template <class Number> Number numberOf(const char* what, const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0') {
        throw CommandError(std::string("vcx_GetDevCapConfig listed \"") + text + "\" as a " + what);
    }
    return static_cast<Number>(value);
}

std::string describe(const FormatRequest& request) {
    std::string text;
    char number[32];
    if (request.width) {
        text += "width " + std::to_string(*request.width);
    }
    if (request.height) {
        text +=
            (text.empty() ? "" : ", ") + std::string("height ") + std::to_string(*request.height);
    }
    if (request.fps) {
        std::snprintf(number, sizeof number, "%g", *request.fps);
        text += (text.empty() ? "" : ", ") + std::string(number) + " fps";
    }
    return text;
}

bool matches(const FormatRequest& request, const DeviceFormat& format) {
    return (!request.width || *request.width == format.width) &&
           (!request.height || *request.height == format.height) &&
           (!request.fps || std::fabs(*request.fps - format.fps) < kRateTolerance);
}

} // namespace

std::vector<DeviceFormat> parseFormatLists(std::string_view rates, std::string_view widths,
                                           std::string_view heights) {
    const std::vector<std::string> rateLines = linesOf("frame-rate", rates);
    const std::vector<std::string> widthLines = linesOf("width", widths);
    const std::vector<std::string> heightLines = linesOf("height", heights);
    if (widthLines.size() != rateLines.size() || heightLines.size() != rateLines.size()) {
        throw CommandError("vcx_GetDevCapConfig wrote lists of different lengths");
    }
    std::vector<DeviceFormat> formats;
    for (std::size_t index = 0; index < rateLines.size(); ++index) {
        formats.push_back({numberOf<int>("width", widthLines[index]),
                           numberOf<int>("height", heightLines[index]),
                           numberOf<double>("frame rate", rateLines[index])});
    }
    return formats;
}

std::vector<DeviceFormat> readDeviceFormats() {
    std::string lists[3];
    for (int type = 0; type < 3; ++type) {
        const int size = check("vcx_GetDevCapConfigSize", vcx_GetDevCapConfigSize(type));
        lists[type].assign(static_cast<std::size_t>(size), '\0');
    }
    check("vcx_GetDevCapConfig",
          vcx_GetDevCapConfig(lists[0].data(), lists[1].data(), lists[2].data()));
    return parseFormatLists(lists[0].c_str(), lists[1].c_str(), lists[2].c_str());
}

DeviceFormat completeRequest(const FormatRequest& request,
                             const std::vector<DeviceFormat>& formats) {
    if (request.complete()) {
        return {*request.width, *request.height, *request.fps};
    }
    for (const DeviceFormat& format : formats) {
        if (matches(request, format)) {
            return {request.width.value_or(format.width), request.height.value_or(format.height),
                    request.fps.value_or(format.fps)};
        }
    }
    throw CommandError("the device lists no format with " + describe(request) +
                       " to complete the request from (see 'formats'); give --width, --height "
                       "and --fps together to ask for it anyway");
}

} // namespace cli
