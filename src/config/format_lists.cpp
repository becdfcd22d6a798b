// vcx_GetDevCapConfig and vcx_GetDevCapConfigSize: the frame rates, widths
// and heights of the device's VIDEOINFOHEADER capabilities as three parallel
// name lists, and the size of each.
#include "vcxcap.h"

#include "config/stream_config.h"
#include "lists/name_list.h"

namespace vcx {
namespace {

enum FormatList : int {
    kRateList = 0,
    kWidthList = 1,
    kHeightList = 2,
};
constexpr int kListCount = 3;

// Adds a capability's entry to one of the three lists: the frame rate as
// "%1.2f", the width or the height as "%1d".
void addEntry(NameList& list, int listType, const VIDEOINFOHEADER& info) {
    switch (listType) {
    case kRateList:
        list.addFormatted("%1.2f", kUnitsPerSecond / static_cast<double>(info.AvgTimePerFrame));
        break;
    case kWidthList:
        list.addFormatted("%1d", static_cast<int>(info.bmiHeader.biWidth));
        break;
    case kHeightList:
        list.addFormatted("%1d", static_cast<int>(info.bmiHeader.biHeight));
        break;
    default:
        // Another type counts no entry.
        break;
    }
}

} // namespace
} // namespace vcx

using namespace vcx;

extern "C" int VCXAPI vcx_GetDevCapConfig(char* rateList, char* widthList, char* heightList) {
    ComPtr<IAMStreamConfig> config;
    const int32_t reached = reachStreamConfig(config);
    if (reached < 0) {
        return reached;
    }
    if (rateList == nullptr || widthList == nullptr || heightList == nullptr) {
        return -5;
    }
    NameList lists[kListCount] = {NameList::appendingTo(rateList), NameList::appendingTo(widthList),
                                  NameList::appendingTo(heightList)};
    forEachVideoInfoCapability(*config.get(), [&](AM_MEDIA_TYPE& type) {
        for (int listType = 0; listType < kListCount; ++listType) {
            addEntry(lists[listType], listType, videoInfoOf(type));
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
    NameList size = NameList::counting();
    forEachVideoInfoCapability(*config.get(), [&](AM_MEDIA_TYPE& type) {
        addEntry(size, listType, videoInfoOf(type));
        return true;
    });
    return size.size();
}
