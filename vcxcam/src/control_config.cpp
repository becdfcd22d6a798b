#include "control_config.h"

#include "config/camera_property_table.h"

#include <algorithm>
#include <climits>

namespace vcxcam {

namespace {

wchar_t lowerAscii(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool equalsIgnoringCase(std::wstring_view text, const char* ascii) {
    std::size_t i = 0;
    for (; i < text.size() && ascii[i] != 0; ++i) {
        if (lowerAscii(text[i]) != lowerAscii(static_cast<wchar_t>(ascii[i]))) {
            return false;
        }
    }
    return i == text.size() && ascii[i] == 0;
}

std::vector<std::wstring_view> words(std::wstring_view line) {
    std::vector<std::wstring_view> found;
    const auto blank = [](wchar_t c) {
        return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
    };
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && blank(line[at])) {
            ++at;
        }
        const std::size_t start = at;
        while (at < line.size() && !blank(line[at])) {
            ++at;
        }
        if (at > start) {
            found.push_back(line.substr(start, at - start));
        }
    }
    return found;
}

// A decimal with an optional sign that fits a 32-bit LONG.
std::optional<LONG> parseNumber(std::wstring_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == L'-' || text.front() == L'+')) {
        negative = text.front() == L'-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 10) {
        return std::nullopt;
    }
    long long value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            return std::nullopt;
        }
        value = value * 10 + (c - L'0');
    }
    value = negative ? -value : value;
    if (value < INT_MIN || value > INT_MAX) {
        return std::nullopt;
    }
    return static_cast<LONG>(value);
}

std::optional<int> propertyNumber(std::wstring_view name) {
    for (int number = 0; number < vcx::kCameraPropertyCount; ++number) {
        if (equalsIgnoringCase(name, vcx::kCameraProperties[number].name)) {
            return number;
        }
    }
    return std::nullopt;
}

std::optional<LONG> parseModes(std::wstring_view text) {
    if (equalsIgnoringCase(text, "auto")) {
        return vcx::kPropertyAuto;
    }
    if (equalsIgnoringCase(text, "manual")) {
        return vcx::kPropertyManual;
    }
    if (equalsIgnoringCase(text, "both")) {
        return vcx::kPropertyAuto | vcx::kPropertyManual;
    }
    return std::nullopt;
}

} // namespace

std::optional<ControlSpec> parseControl(std::wstring_view line) {
    const std::vector<std::wstring_view> parts = words(line);
    if (parts.size() != 6 && parts.size() != 7) {
        return std::nullopt;
    }
    const std::optional<int> number = propertyNumber(parts[0]);
    const std::optional<LONG> minimum = parseNumber(parts[1]);
    const std::optional<LONG> maximum = parseNumber(parts[2]);
    const std::optional<LONG> step = parseNumber(parts[3]);
    const std::optional<LONG> defaultValue = parseNumber(parts[4]);
    const std::optional<LONG> modes = parseModes(parts[5]);
    if (!number || !minimum || !maximum || !step || !defaultValue || !modes) {
        return std::nullopt;
    }
    ControlSpec spec{*number,
                     *minimum,
                     *maximum,
                     *step,
                     *defaultValue,
                     *modes,
                     (*modes & vcx::kPropertyManual) == 0};
    if (parts.size() == 7) {
        const std::optional<LONG> start = parseModes(parts[6]);
        if (!start || *start == (vcx::kPropertyAuto | vcx::kPropertyManual) ||
            (*start & *modes) == 0) {
            return std::nullopt;
        }
        spec.startsAuto = *start == vcx::kPropertyAuto;
    }
    const long long offset = static_cast<long long>(spec.defaultValue) - spec.minimum;
    if (spec.minimum > spec.maximum || spec.step < 1 || spec.defaultValue < spec.minimum ||
        spec.defaultValue > spec.maximum || offset % spec.step != 0) {
        return std::nullopt;
    }
    return spec;
}

std::optional<ControlSetting> parseSetting(std::wstring_view text) {
    const std::vector<std::wstring_view> parts = words(text);
    if (parts.size() != 2) {
        return std::nullopt;
    }
    const std::optional<LONG> value = parseNumber(parts[0]);
    const std::optional<LONG> mode = parseModes(parts[1]);
    if (!value || !mode || *mode == (vcx::kPropertyAuto | vcx::kPropertyManual)) {
        return std::nullopt;
    }
    return ControlSetting{*value, *mode == vcx::kPropertyAuto};
}

std::wstring settingText(const ControlSetting& setting) {
    return std::to_wstring(setting.value) + (setting.autoMode ? L" auto" : L" manual");
}

std::vector<ControlSpec> parseControls(const std::vector<std::wstring>& lines) {
    std::vector<ControlSpec> specs;
    for (const std::wstring& line : lines) {
        const std::optional<ControlSpec> spec = parseControl(line);
        if (spec && std::none_of(specs.begin(), specs.end(), [&](const ControlSpec& earlier) {
                return earlier.number == spec->number;
            })) {
            specs.push_back(*spec);
        }
    }
    std::sort(specs.begin(), specs.end(),
              [](const ControlSpec& a, const ControlSpec& b) { return a.number < b.number; });
    return specs;
}

std::vector<ControlSpec> defaultControls() {
    return parseControls({
        L"Brightness -64 64 1 0 manual",
        L"Contrast 0 200 1 100 manual",
        L"Hue -180 180 1 0 manual",
        L"Saturation 0 200 1 100 manual",
        L"Sharpness 0 10 1 5 manual",
        L"Gamma 1 500 1 100 manual",
        L"WhiteBalance 2800 6500 10 4600 both auto",
        L"BacklightCompensation 0 1 1 0 manual",
        L"Gain 0 100 1 0 both manual",
        L"Pan -180 180 1 0 manual",
        L"Tilt -180 180 1 0 manual",
        L"Zoom 100 400 1 100 manual",
        L"Exposure -13 -1 1 -6 both auto",
        L"Focus 0 250 5 0 both auto",
    });
}

} // namespace vcxcam
