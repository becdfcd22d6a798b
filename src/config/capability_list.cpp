// vcx_GetDevFormatList and its size query: one line per capability of the
// device's capture pin, every index of its stream configuration, with the
// subtype, format type, size, bit count and rates.
#include "vcxcap.h"

#include <cstdio>
// (before the DirectShow headers, whose strsafe.h breaks <string>)
#include <string>
#include <string_view>

#include "config/stream_config.h"
#include "config/video_format.h"
#include "lists/name_list.h"

namespace vcx {
namespace {

// Room for the longest line: a ten-digit index, two GUIDs, three ten-digit
// numbers with signs and three rates of up to 20 digits, with the commas.
constexpr int kLineBytes = 192;

// "index,subtype,formattype,width,height,bitcount,minfps,maxfps,fps". A
// capability the device cannot describe is an empty line, so that line n
// stays index n; a type without a video format block has zeros for its size,
// bit count and own rate.
void addCapabilityLine(IAMStreamConfig& config, int index, NameList& list) {
    OwnedMediaType type;
    VIDEO_STREAM_CONFIG_CAPS caps{};
    const HRESULT hr = config.GetStreamCaps(index, type.put(), reinterpret_cast<BYTE*>(&caps));
    if (FAILED(hr) || type.get() == nullptr) {
        list.add({});
        return;
    }
    const VideoFormat format = readVideoFormat(*type.get()).value_or(VideoFormat{});
    const IntervalRange range = intervalRangeOf(caps);
    char line[kLineBytes];
    const int length = std::snprintf(
        line, sizeof line, "%d,%s,%s,%ld,%ld,%ld,%.2f,%.2f,%.2f", index,
        subtypeName(type.get()->subtype).c_str(), formatTypeName(type.get()->formattype).c_str(),
        static_cast<long>(format.width), static_cast<long>(format.height),
        static_cast<long>(format.bitCount), framesPerSecondOf(range.longest),
        framesPerSecondOf(range.shortest), framesPerSecondOf(format.frameInterval));
    list.add(std::string_view(line, static_cast<std::size_t>(length)));
}

int32_t listCapabilities(char* buffer, ListOutput output) {
    if (const int32_t checked = checkOpenDevice(); checked < 0) {
        return checked;
    }
    if (output == ListOutput::kList && buffer == nullptr) {
        return -3;
    }
    ComPtr<IAMStreamConfig> config;
    if (!takeCaptureStreamConfig(activeSlot(), config)) {
        return -4;
    }
    int count = 0;
    if (!countVideoCapabilities(*config.get(), count)) {
        return -5;
    }
    NameList list = NameList::of(output, buffer);
    for (int index = 0; index < count; ++index) {
        addCapabilityLine(*config.get(), index, list);
    }
    return list.result();
}

} // namespace
} // namespace vcx

using namespace vcx;

extern "C" int VCXAPI vcx_GetDevFormatList(char* buffer) {
    return listCapabilities(buffer, ListOutput::kList);
}

extern "C" int VCXAPI vcx_GetDevFormatListSize(void) {
    return listCapabilities(nullptr, ListOutput::kSize);
}
