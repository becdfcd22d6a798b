#include "capability.h"

#include <algorithm>

namespace vcxcam {

namespace {

constexpr std::int64_t kUnitsPerSecond = 10'000'000;
constexpr int kMaxFpsDecimals = 6;

bool isDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

wchar_t lowerAscii(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

std::wstring_view trim(std::wstring_view text) {
    const auto blank = [](wchar_t c) {
        return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
    };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Reads a run of decimal digits (at least one, at most maxDigits) from the
// front of text into value.
bool takeDigits(std::wstring_view& text, int maxDigits, std::int64_t& value, int& count) {
    value = 0;
    count = 0;
    while (!text.empty() && isDigit(text.front())) {
        if (++count > maxDigits) {
            return false;
        }
        value = value * 10 + (text.front() - L'0');
        text.remove_prefix(1);
    }
    return count > 0;
}

bool takeChar(std::wstring_view& text, wchar_t lower, wchar_t upper) {
    if (text.empty() || (text.front() != lower && text.front() != upper)) {
        return false;
    }
    text.remove_prefix(1);
    return true;
}

// Reads a dimension in 1..kMaxDimension.
bool takeDimension(std::wstring_view& text, int& out) {
    std::int64_t value = 0;
    int digits = 0;
    if (!takeDigits(text, 5, value, digits) || value < 1 || value > kMaxDimension) {
        return false;
    }
    out = static_cast<int>(value);
    return true;
}

// Reads FPS as the fraction numerator / denominator and turns it into the
// nearest whole frame interval.
bool takeFrameInterval(std::wstring_view& text, std::int64_t& interval) {
    std::int64_t whole = 0;
    int wholeDigits = 0;
    if (!takeDigits(text, 4, whole, wholeDigits)) {
        return false;
    }
    std::int64_t numerator = whole;
    std::int64_t denominator = 1;
    if (takeChar(text, L'.', L'.')) {
        std::int64_t fraction = 0;
        int decimals = 0;
        if (!takeDigits(text, kMaxFpsDecimals, fraction, decimals)) {
            return false;
        }
        for (int i = 0; i < decimals; ++i) {
            numerator *= 10;
            denominator *= 10;
        }
        numerator += fraction;
    }
    if (numerator <= 0 || numerator > kMaxFramesPerSecond * denominator) {
        return false;
    }
    interval = (2 * kUnitsPerSecond * denominator + numerator) / (2 * numerator);
    return true;
}

} // namespace

std::optional<Capability> parseCapability(std::wstring_view line) {
    std::wstring_view text = trim(line);
    Capability cap;
    constexpr std::wstring_view kVi2Prefix = L"vi2:";
    if (text.size() >= kVi2Prefix.size() &&
        std::equal(kVi2Prefix.begin(), kVi2Prefix.end(), text.begin(),
                   [](wchar_t prefix, wchar_t c) { return prefix == lowerAscii(c); })) {
        cap.videoInfo2 = true;
        text.remove_prefix(kVi2Prefix.size());
    }
    if (!takeDimension(text, cap.width) || !takeChar(text, L'x', L'X')) {
        return std::nullopt;
    }
    const bool topDown = takeChar(text, L'-', L'-');
    if (!takeDimension(text, cap.height) || !takeChar(text, L'@', L'@')) {
        return std::nullopt;
    }
    if (topDown) {
        cap.height = -cap.height;
    }
    if (!takeFrameInterval(text, cap.frameInterval)) {
        return std::nullopt;
    }
    if (takeChar(text, L':', L':')) {
        const std::optional<Subtype> subtype = subtypeNamed(text);
        if (!subtype) {
            return std::nullopt;
        }
        cap.subtype = *subtype;
        text = {};
    }
    if (!text.empty() || !subtypeHoldsSize(cap.subtype, cap.width, cap.height)) {
        return std::nullopt;
    }
    return cap;
}

std::vector<Capability> parseCapabilities(const std::vector<std::wstring>& lines) {
    std::vector<Capability> caps;
    for (const std::wstring& line : lines) {
        const std::optional<Capability> cap = parseCapability(line);
        if (cap && std::find(caps.begin(), caps.end(), *cap) == caps.end()) {
            caps.push_back(*cap);
        }
    }
    return caps;
}

std::vector<Capability> defaultCapabilities() {
    return parseCapabilities({L"640x480@30", L"320x240@30", L"1280x720@30", L"1920x1080@30"});
}

} // namespace vcxcam
