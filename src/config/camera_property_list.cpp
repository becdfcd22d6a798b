// vcx_GetDevControlList and its size query: one line per camera property of
// the active slot's device whose range and value the device reports.
#include "vcxcap.h"

#include <cstdio>
#include <string_view>

#include "config/camera_property_access.h"
#include "lists/name_list.h"

namespace vcx {
namespace {

// Room for the longest line: the longest name, a two-digit number, four
// ten-digit numbers with their signs, the two flags and the value's eleven
// characters, with the commas.
constexpr int kLineBytes = 128;

// Adds property number's line when the device reports its range and value:
// "name,number,minimum,maximum,step,default,capabilities,value,mode". The
// value is right-aligned in eleven characters (the longest 32-bit number), so
// that a control moving on its own in auto mode cannot make the list longer
// than its size query said.
template <class Control> void addPropertyLine(Control& control, int number, NameList& list) {
    const CameraProperty& property = kCameraProperties[number];
    PropertyRange range;
    LONG value = 0;
    LONG mode = 0;
    if (!readRange(control, property.id, range) ||
        control.Get(property.id, &value, &mode) != S_OK) {
        return;
    }
    char line[kLineBytes];
    const int length =
        std::snprintf(line, sizeof line, "%s,%d,%ld,%ld,%ld,%ld,%d,%11ld,%d", property.name, number,
                      range.minimum, range.maximum, range.step, range.defaultValue,
                      static_cast<int>(propertyCapabilities(range.capabilities)), value,
                      static_cast<int>(propertyMode(mode)));
    list.add(std::string_view(line, static_cast<std::size_t>(length)));
}

int32_t listControls(char* buffer, ListOutput output) {
    const int32_t guard = checkSlotState(kGuardSlotOpen);
    if (guard < 0) {
        return guard;
    }
    IBaseFilter* device = activeSlot().sourceFilter;
    if (device == nullptr) {
        return -2;
    }
    if (output == ListOutput::kList && buffer == nullptr) {
        return -3;
    }
    // A success other than S_OK counts as no interface.
    const ComPtr<IAMVideoProcAmp> procAmp = query<IAMVideoProcAmp>(device);
    const ComPtr<IAMCameraControl> camera = query<IAMCameraControl>(device);
    if (!procAmp && !camera) {
        return -4;
    }
    NameList list = NameList::of(output, buffer);
    for (int number = 0; number < kCameraPropertyCount; ++number) {
        if (kCameraProperties[number].iface == PropertyInterface::kVideoProcAmp) {
            if (procAmp) {
                addPropertyLine(*procAmp.get(), number, list);
            }
        } else if (camera) {
            addPropertyLine(*camera.get(), number, list);
        }
    }
    return list.result();
}

} // namespace
} // namespace vcx

using namespace vcx;

extern "C" int VCXAPI vcx_GetDevControlList(char* buffer) {
    return listControls(buffer, ListOutput::kList);
}

extern "C" int VCXAPI vcx_GetDevControlListSize(void) {
    return listControls(nullptr, ListOutput::kSize);
}
