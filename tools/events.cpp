#include "events.h"

#include "session.h"
#include "text.h"
#include "vcxcap.h"

#include <windows.h>

#include <cstdio>

namespace cli {

namespace {

// EC_ codes of evcode.h the tool names.
constexpr int kComplete = 0x01;
constexpr int kUserAbort = 0x02;
constexpr int kErrorAbort = 0x03;
constexpr int kStreamErrorStopped = 0x06;
constexpr int kStreamErrorStillPlaying = 0x07;
constexpr int kDeviceLost = 0x1F;
constexpr int kErrorAbortEx = 0x45;

struct EventName {
    int code;
    const char* name;
    bool hresultFirst; // param1 is an HRESULT
};

constexpr EventName kNames[] = {
    {kComplete, "EC_COMPLETE", true},
    {kUserAbort, "EC_USERABORT", false},
    {kErrorAbort, "EC_ERRORABORT", true},
    {kStreamErrorStopped, "EC_STREAM_ERROR_STOPPED", true},
    {kStreamErrorStillPlaying, "EC_STREAM_ERROR_STILLPLAYING", true},
    {kDeviceLost, "EC_DEVICE_LOST", false},
    {kErrorAbortEx, "EC_ERRORABORTEX", true},
    {0x05, "EC_REPAINT", false},
    {0x0A, "EC_VIDEO_SIZE_CHANGED", false},
    {0x0B, "EC_QUALITY_CHANGE", false},
    {0x0D, "EC_CLOCK_CHANGED", false},
    {0x0E, "EC_PAUSED", true},
    {0x50, "EC_GRAPH_CHANGED", false},
};

// "0x80070070: There is not enough space on the disk." (the system's own
// words where it has them).
std::string describeHresult(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    wchar_t* message = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(value), 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    std::string words;
    if (length > 0 && message != nullptr) {
        words = utf8FromWide(std::wstring_view(message, length));
        while (!words.empty() &&
               (words.back() == '\n' || words.back() == '\r' || words.back() == ' ')) {
            words.pop_back();
        }
    }
    if (message != nullptr) {
        LocalFree(message);
    }
    return words.empty() ? std::string(text) : std::string(text) + ": " + words;
}

} // namespace

std::string describeEvent(const GraphEvent& event) {
    for (const EventName& known : kNames) {
        if (known.code != event.code) {
            continue;
        }
        if (event.code == kDeviceLost) {
            return std::string(known.name) +
                   (event.param2 == 0 ? " (device removed)" : " (device available again)");
        }
        if (known.hresultFirst) {
            return std::string(known.name) + " (" + describeHresult(event.param1) + ")";
        }
        return known.name;
    }
    char text[64];
    std::snprintf(text, sizeof text, "0x%04X (0x%X, 0x%X)", static_cast<unsigned>(event.code),
                  static_cast<unsigned>(event.param1), static_cast<unsigned>(event.param2));
    return text;
}

bool endsCapture(const GraphEvent& event) {
    switch (event.code) {
    case kErrorAbort:
    case kErrorAbortEx:
    case kStreamErrorStopped:
        return true;
    case kDeviceLost:
        return event.param2 == 0;
    default:
        return false;
    }
}

std::vector<GraphEvent> takeEvents() {
    std::vector<GraphEvent> events;
    for (;;) {
        GraphEvent event{};
        event.code = check("vcx_GetEvent", vcx_GetEvent(&event.param1, &event.param2));
        if (event.code == 0) {
            return events;
        }
        events.push_back(event);
    }
}

} // namespace cli
