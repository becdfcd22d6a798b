#include "device_controls.h"

#include "session.h"
#include "text.h"
#include "vcxcap.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace cli {

// The names as the library lists them, from its header.
const char* const kControlNames[17] = VCX_CONTROL_NAMES;

namespace {

constexpr std::size_t kFields = 9;

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// A decimal 32-bit number, blanks before it allowed (the list pads values).
std::optional<int> integerOf(const std::string& text) {
    const char* start = text.c_str();
    while (*start == ' ') {
        ++start;
    }
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(start, &end, 10);
    if (*start == '\0' || *end != '\0' || errno != 0 || value < INT_MIN || value > INT_MAX ||
        std::isspace(static_cast<unsigned char>(*start))) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

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

DeviceControl controlOf(const std::string& line) {
    const std::vector<std::string> fields = fieldsOf(line);
    std::optional<int> numbers[kFields - 1];
    for (std::size_t i = 1; i < fields.size() && i < kFields; ++i) {
        numbers[i - 1] = integerOf(fields[i]);
    }
    for (const std::optional<int>& number : numbers) {
        if (fields.size() != kFields || !number) {
            throw CommandError("vcx_GetDevControlList wrote \"" + line + "\", not a control line");
        }
    }
    return {fields[0],   *numbers[0], *numbers[1], *numbers[2], *numbers[3],
            *numbers[4], *numbers[5], *numbers[6], *numbers[7]};
}

} // namespace

std::optional<int> controlNumber(std::string_view name) {
    for (int number = 0; number < 17; ++number) {
        if (sameIgnoringCase(name, kControlNames[number])) {
            return number;
        }
    }
    return std::nullopt;
}

std::vector<DeviceControl> parseControlList(std::string_view text) {
    const std::optional<std::vector<std::string>> lines = splitNameList(text);
    if (!lines) {
        throw CommandError("vcx_GetDevControlList wrote no name list");
    }
    std::vector<DeviceControl> controls;
    for (const std::string& line : *lines) {
        controls.push_back(controlOf(line));
    }
    return controls;
}

std::optional<std::vector<DeviceControl>> readDeviceControls() {
    const std::optional<std::vector<std::string>> lines = readControlList();
    if (!lines) {
        return std::nullopt;
    }
    std::string text;
    for (const std::string& line : *lines) {
        text += line + "\r\n";
    }
    return parseControlList(text);
}

namespace {

// Text and a remark on it, as "'text': remark" ("'text' remark" for a remark
// that starts with a letter).
std::string remark(std::string_view text, std::string_view about) {
    std::string out = "'";
    out.append(text);
    out.append(about.front() == ':' ? "'" : "' ");
    out.append(about);
    return out;
}

} // namespace

std::optional<ControlAssignment> parseAssignment(std::string_view text, std::string& problem) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        problem = remark(text, "is not NAME=VALUE, NAME=auto or NAME=manual");
        return std::nullopt;
    }
    const std::string_view name = text.substr(0, equals);
    const std::string setting(text.substr(equals + 1));
    const std::optional<int> number = controlNumber(name);
    if (!number) {
        problem = remark(text, ": no property is named " + remark(name, "(see 'controls')"));
        return std::nullopt;
    }
    ControlAssignment assignment{std::string(text), *number};
    if (sameIgnoringCase(setting, "auto")) {
        assignment.kind = ControlAssignment::Kind::kAuto;
    } else if (sameIgnoringCase(setting, "manual")) {
        assignment.kind = ControlAssignment::Kind::kManual;
    } else if (const std::optional<int> value = integerOf(setting);
               value && setting.front() != ' ') {
        assignment.value = *value;
    } else {
        problem =
            remark(text, ": " + remark(setting, "is neither a whole number nor auto or manual"));
        return std::nullopt;
    }
    return assignment;
}

} // namespace cli
