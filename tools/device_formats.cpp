#include "device_formats.h"

#include "session.h"
#include "text.h"
#include "vcxcap.h"

#include <algorithm>
#include <cctype>
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

namespace {

// The fields of a capability line, in order.
constexpr std::size_t kCapabilityFields = 9;

std::vector<std::string> fieldsOf(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t comma; (comma = line.find(',', start)) != std::string::npos;
         start = comma + 1) {
        fields.push_back(line.substr(start, comma - start));
    }
    fields.push_back(line.substr(start));
    return fields;
}

template <class Number> Number capabilityNumber(const std::string& line, const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0') {
        throw CommandError("vcx_GetDevFormatList wrote \"" + line + "\", not a capability");
    }
    return static_cast<Number>(value);
}

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

bool holdsRate(const DeviceCapability& capability, double fps) {
    return std::fabs(capability.fps - fps) < kRateTolerance ||
           (fps > capability.minFps - kRateTolerance && fps < capability.maxFps + kRateTolerance);
}

// The rate to ask of a capability: 0 (its own) when fps is not given or is
// its own rate.
double askedRate(const DeviceCapability& capability, const std::optional<double>& fps) {
    return fps && std::fabs(*fps - capability.fps) >= kRateTolerance ? *fps : 0.0;
}

} // namespace

std::vector<DeviceCapability> parseCapabilityList(std::string_view text) {
    const std::optional<std::vector<std::string>> lines = splitNameList(text);
    if (!lines) {
        throw CommandError("vcx_GetDevFormatList wrote no list");
    }
    std::vector<DeviceCapability> capabilities;
    for (std::size_t position = 0; position < lines->size(); ++position) {
        const std::string& line = (*lines)[position];
        DeviceCapability capability;
        capability.index = static_cast<int>(position);
        if (line.empty()) {
            capability.described = false;
            capabilities.push_back(capability);
            continue;
        }
        const std::vector<std::string> fields = fieldsOf(line);
        if (fields.size() != kCapabilityFields ||
            capabilityNumber<int>(line, fields[0]) != capability.index) {
            throw CommandError("vcx_GetDevFormatList wrote \"" + line + "\" as line " +
                               std::to_string(position));
        }
        capability.subtype = fields[1];
        capability.formatType = fields[2];
        capability.width = capabilityNumber<int>(line, fields[3]);
        capability.height = capabilityNumber<int>(line, fields[4]);
        capability.bitCount = capabilityNumber<int>(line, fields[5]);
        capability.minFps = capabilityNumber<double>(line, fields[6]);
        capability.maxFps = capabilityNumber<double>(line, fields[7]);
        capability.fps = capabilityNumber<double>(line, fields[8]);
        capabilities.push_back(capability);
    }
    return capabilities;
}

std::vector<DeviceCapability> readCapabilities() {
    const int size = check("vcx_GetDevFormatListSize", vcx_GetDevFormatListSize());
    std::string buffer(static_cast<std::size_t>(size), '\0');
    check("vcx_GetDevFormatList", vcx_GetDevFormatList(buffer.data()));
    return parseCapabilityList(buffer.c_str());
}

CapabilityChoice chooseCapability(const FormatRequest& request,
                                  const std::vector<DeviceCapability>& capabilities) {
    if (request.index) {
        for (const DeviceCapability& capability : capabilities) {
            if (capability.index == *request.index && capability.described) {
                return {capability, askedRate(capability, request.fps)};
            }
        }
        throw CommandError("the device lists no capability " + std::to_string(*request.index) +
                           " (see 'formats')");
    }
    for (const DeviceCapability& capability : capabilities) {
        if (capability.described && sameName(capability.subtype, request.subtype.value_or("")) &&
            (!request.width || *request.width == capability.width) &&
            (!request.height || *request.height == capability.height) &&
            (!request.fps || holdsRate(capability, *request.fps))) {
            return {capability, askedRate(capability, request.fps)};
        }
    }
    FormatRequest parts = request;
    parts.subtype.reset();
    const std::string rest = parts.any() ? " with " + describe(parts) : "";
    throw CommandError("the device lists no " + request.subtype.value_or("") + " capability" +
                       rest + " (see 'formats')");
}

std::string rateText(double fps) {
    if (fps <= 0) {
        return "rate not reported";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.2f fps", fps);
    return text;
}

std::string describeChoice(const CapabilityChoice& choice) {
    const DeviceCapability& capability = choice.capability;
    char text[160];
    std::snprintf(text, sizeof text, "capability %d: %s %dx%d at %s (%s, %d bit)", capability.index,
                  capability.subtype.c_str(), capability.width,
                  capability.height < 0 ? -capability.height : capability.height,
                  rateText(choice.fps > 0 ? choice.fps : capability.fps).c_str(),
                  capability.formatType.c_str(), capability.bitCount);
    return text;
}

} // namespace cli
