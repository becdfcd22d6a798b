// vcx_GetDevCapConfig and vcx_GetDevCapConfigSize: the frame rates, widths
// and heights of the device's VIDEOINFOHEADER capabilities as three parallel
// name lists, and the size of each.
#include "vcxcap.h"

#include <cstdio>
#include <cstring>

#include "config/stream_config.h"

namespace vcx {
namespace {

enum FormatList : int {
    kRateList = 0,
    kWidthList = 1,
    kHeightList = 2,
};
constexpr int kListCount = 3;

// Room for any entry: "%1.2f" of 10000000 / interval is at most 12 bytes for
// a non-zero interval, "%1d" at most 11, and infinity or NaN a few.
struct EntryText {
    char text[32];
};

// The entry of a capability in a list, NUL-terminated.
EntryText entryOf(int list, const VIDEOINFOHEADER& info) {
    EntryText entry{};
    switch (list) {
    case kRateList:
        std::snprintf(entry.text, sizeof entry.text, "%1.2f",
                      kUnitsPerSecond / static_cast<double>(info.AvgTimePerFrame));
        break;
    case kWidthList:
        std::snprintf(entry.text, sizeof entry.text, "%1d",
                      static_cast<int>(info.bmiHeader.biWidth));
        break;
    default:
        std::snprintf(entry.text, sizeof entry.text, "%1d",
                      static_cast<int>(info.bmiHeader.biHeight));
        break;
    }
    return entry;
}

// PROVISIONAL until the shared name-list writer is on main.
void appendEntry(char* list, const char* entry) {
    char* end = list + std::strlen(list);
    const std::size_t length = std::strlen(entry);
    std::memcpy(end, entry, length);
    std::memcpy(end + length, "\r\n", 3);
}
int32_t entrySize(const char* entry) {
    return static_cast<int32_t>(std::strlen(entry)) + 2;
}

} // namespace
} // namespace vcx

using namespace vcx;

extern "C" int VCXAPI vcx_GetDevCapConfig(char* rateList, char* widthList, char* heightList) {
    const int32_t guard = checkSlotState(kGuardComInitialized);
    if (guard < 0) {
        return guard;
    }
    char* const lists[kListCount] = {rateList, widthList, heightList};
    for (char* list : lists) {
        if (list == nullptr) {
            return -5;
        }
    }
    ComPtr<IAMStreamConfig> config;
    const int32_t reached = reachStreamConfig(config);
    if (reached < 0) {
        return reached;
    }
    forEachVideoInfoCapability(*config.get(), [&](AM_MEDIA_TYPE& type) {
        for (int list = 0; list < kListCount; ++list) {
            appendEntry(lists[list], entryOf(list, videoInfoOf(type)).text);
        }
        return true;
    });
    return 0;
}

extern "C" int VCXAPI vcx_GetDevCapConfigSize(int listType) {
    ComPtr<IAMStreamConfig> config;
    const int32_t reached = reachStreamConfig(config);
    if (reached < 0) {
        return reached;
    }
    // Another type counts no entry.
    const bool known = listType >= 0 && listType < kListCount;
    int32_t size = 1;
    forEachVideoInfoCapability(*config.get(), [&](AM_MEDIA_TYPE& type) {
        if (known) {
            size += entrySize(entryOf(listType, videoInfoOf(type)).text);
        }
        return true;
    });
    return size;
}
